// Run-time defaults of the sanitizer builds; ASAN_OPTIONS still overrides.
//
// intercept_tls_get_addr=0: the runtime of GCC 12 and clang 14 takes a dynamic
// TLS block that malloc happened to place 16 bytes into a page for one with a
// pre-2.25 glibc header, reads a bogus range from the words before it, and
// LeakSanitizer's exit-time tracer then crashes on it ("Tracer caught signal
// 11"). The GL driver's LLVM makes such blocks, so the GL checks failed now
// and then. Without the interceptor those blocks are plain heap blocks
// reached from the thread's TLS vector, so what they point to still counts as
// reachable.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
