// GTK and WebKit keep their process-wide objects until exit by design, and the helper ends by closing
// its socket, not by tearing the toolkit down: a sanitizer build would report all of them as leaks.
// Leak checking is for the plug-in's own code, which the tests cover in the plug-in itself.
#ifdef __SANITIZE_ADDRESS__
extern "C" int __lsan_is_turned_off() {
    return 1;
}
#endif
