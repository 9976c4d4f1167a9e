// The SDK's host attribute list never frees the buffer of a zero-byte binary attribute, which the
// empty payloads of some messages (a factory preset's notice to the processor) are. The leak is
// the test host's, not the plug-in's. GCC announces AddressSanitizer with __SANITIZE_ADDRESS__, clang
// only through __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DOVREL_LEAK_SUPPRESSION 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(DOVREL_LEAK_SUPPRESSION)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:Steinberg::Vst::HostAttribute::HostAttribute\n";
}
#endif
