// How the document server writes a value as text.
#include <gtest/gtest.h>

#include "DocumentModel.h"

namespace {

using automation::Variant;

TEST(DocumentTextTest, EveryVariantTypeHasItsText) {
  const platform::LocaleSettings point{",", ".", "%m/%d/%Y", "%H:%M:%S"};
  const platform::LocaleSettings comma{".", ",", "%d.%m.%Y", "%H:%M:%S"};
  struct Row {
    Variant value;
    const platform::LocaleSettings& locale;
    const char* text;
  } rows[] = {
      {true, point, "True"},
      {false, point, "False"},
      {std::int32_t{-5}, point, "-5"},
      {std::int64_t{INT64_MIN}, point, "-9223372036854775808"},  // in full
      {1.5, comma, "1,5"},
      {"as it is <&>", point, "as it is <&>"},
      {Variant::Date(38777.5), point, "03/01/2006 12:00:00"},
      {Variant::Date(38777.5), comma, "01.03.2006 12:00:00"},
      {Variant::Date(38777), point, "03/01/2006"},       // midnight: the date alone
      {Variant::Date(0.75), point, "18:00:00"},          // no date: the time alone
      {Variant::Date(2.0 - 1e-9), point, "01/01/1900"},  // rounds up to the next day
      {Variant::Null(), point, ""},
      {Variant(), point, ""},
  };
  for (const Row& r : rows)
    EXPECT_EQ(automation::server::ValueText(r.value, r.locale), r.text) << r.text;
}

}  // namespace
