// Cairo's text goes through fontconfig, which keeps its configuration and font patterns for the life
// of the process and never frees them at exit. The leak checker of the sanitizer builds would report
// them on every plot, and its list of the suppressions it used would break the tool's promise of one
// line on standard error for a failure. GCC announces AddressSanitizer with __SANITIZE_ADDRESS__, clang only
// through
// __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DOVREL_LEAK_SUPPRESSION 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(DOVREL_LEAK_SUPPRESSION)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
