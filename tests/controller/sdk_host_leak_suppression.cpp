// The SDK's host attribute list never frees the buffer of a zero-byte binary attribute, which the
// empty payloads of some messages (a factory preset's notice to the processor) are. The leak is
// the test host's, not the plug-in's.
#ifdef __SANITIZE_ADDRESS__
extern "C" const char* __lsan_default_suppressions() {
    return "leak:Steinberg::Vst::HostAttribute::HostAttribute\n";
}
#endif
