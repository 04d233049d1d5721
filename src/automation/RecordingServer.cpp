// The recording server (librecorder.so): every member call, recorded.
#include <charconv>
#include <memory>

#include "RecordedCalls.h"
#include "ServerBase.h"

namespace automation::server {
namespace {

struct Recording {
  std::vector<std::string> calls;
  std::string failMember;
  int failCountdown = 0;  // calls of failMember left until the failing one
  std::string failMessage;
};

std::string DoubleText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

class RecordedObject : public DispatchObject {
 public:
  RecordedObject(std::string path, std::shared_ptr<Recording> recording)
      : path_(std::move(path)), recording_(std::move(recording)) {}
  const std::string& path() const { return path_; }

 protected:
  Variant Dispatch(std::string_view name, InvokeKind kind, const Args& args) override {
    const ULONG indices = kind == InvokeKind::Put ? args.size() - 1 : args.size();
    std::string target = path_ + "." + std::string(name);
    if (indices > 0 || kind == InvokeKind::Call) target += "(" + ArgsText(args, indices) + ")";
    static constexpr const char* kVerb[] = {"get ", "put ", "call "};
    std::string line = kVerb[static_cast<int>(kind)] + target;
    if (kind == InvokeKind::Put) line += " = " + ValueText(args[indices]);
    recording_->calls.push_back(std::move(line));
    Recording& r = *recording_;
    if (r.failCountdown > 0 && MemberIs(name, r.failMember) && --r.failCountdown == 0)
      throw ServerError(r.failMessage);
    if (kind == InvokeKind::Put) return {};
    return MakeObject<RecordedObject>(target, recording_);
  }
  const char* Source() const override { return "Recorder"; }
  Recording& recording() { return *recording_; }

 private:
  static std::string ValueText(const Variant& v) {
    std::string text = VarTypeName(v.Type());
    if (const auto* x = v.If<bool>()) return text + (*x ? " True" : " False");
    if (const auto* x = v.If<std::int32_t>()) return text + " " + std::to_string(*x);
    if (const auto* x = v.If<std::int64_t>()) return text + " " + std::to_string(*x);
    if (const auto* x = v.If<double>()) return text + " " + DoubleText(*x);
    if (const auto* x = v.If<DateValue>()) return text + " " + DoubleText(x->days);
    if (const auto* x = v.If<std::string>()) return text + " \"" + *x + "\"";
    if (const auto* x = v.If<DispatchRef>()) {
      const auto* recorded = dynamic_cast<const RecordedObject*>(x->get());
      return text + " " + (recorded ? recorded->path() : std::string("?"));
    }
    return text;
  }
  static std::string ArgsText(const Args& args, ULONG count) {
    std::string text;
    for (ULONG i = 0; i < count; ++i) text += (i ? ", " : "") + ValueText(args[i]);
    return text;
  }

  std::string path_;
  std::shared_ptr<Recording> recording_;
};

class RecordingApplication final : public RecordedObject, public IRecordedCalls {
 public:
  RecordingApplication() : RecordedObject("app", std::make_shared<Recording>()) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return RecordedObject::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return RecordedObject::AddRef(); }
  ULONG Release() override { return RecordedObject::Release(); }

  std::vector<std::string> Calls() override { return recording().calls; }
  void Clear() override { recording().calls.clear(); }
  void FailOn(const std::string& member, int nth, const std::string& message) override {
    recording().failMember = member;
    recording().failCountdown = nth;
    recording().failMessage = message;
  }

 protected:
  void* Interface(REFIID riid) override {
    return riid == IID_IRecordedCalls ? static_cast<IRecordedCalls*>(this) : nullptr;
  }
};

DispatchRef CreateRecorder() {
  return MakeObject<RecordingApplication>();
}

}  // namespace
}  // namespace automation::server

// Serves the recorder under whatever class it was registered for.
extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID& clsid,
                                                                            REFIID riid,
                                                                            void** object) {
  return automation::server::ServeClassObject(clsid, nullptr, automation::server::CreateRecorder,
                                              riid, object);
}
