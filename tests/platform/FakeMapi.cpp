// A stand-in module for the loader tests: a few exported C functions.
extern "C" {
__attribute__((visibility("default"))) int MAPIInitialize(void*) {
  return 42;
}
__attribute__((visibility("default"))) int MAPIUninitialize() {
  return 7;
}
}
