// The SDK's host attribute list never frees the buffer of a zero-byte binary attribute, which the
// empty payloads of some messages between processor and controller are (a factory preset's notice).
// The leak is the hosting library's, not the plug-in's; a sanitizer build of the preview reports it
// at exit otherwise.
#ifdef __SANITIZE_ADDRESS__
extern "C" const char* __lsan_default_suppressions() {
    return "leak:Steinberg::Vst::HostAttribute::HostAttribute\n";
}
#endif
