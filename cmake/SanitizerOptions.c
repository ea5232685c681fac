/* Default run-time options of the sanitizers, linked into every program of a
 * KTA_SANITIZE build.  The plug-in starts cimserver, cimmof and cimconfig with
 * an environment of its own (no *SAN_OPTIONS), and the server detaches onto
 * /dev/null, so reports are written to files instead:
 * KTA_SANITIZER_LOG_DIR/<program>.<pid>; a run whose findings were all
 * suppressed writes none.  Options in the environment are
 * applied after these and win.  Not instrumented: the run-time calls these
 * before it is ready. */
#define KTA_SANITIZER_DEFAULTS \
    "log_path=" KTA_SANITIZER_LOG_DIR "/report:log_exe_name=1:print_suppressions=0"

#define KTA_NOT_SANITIZED \
    __attribute__((visibility("default"), used, \
                   no_sanitize("address", "undefined", "thread")))

KTA_NOT_SANITIZED const char* __tsan_default_options(void)
{
    return KTA_SANITIZER_DEFAULTS;
}

/* The runtime's __tls_get_addr interceptor takes a dynamic TLS block that
 * happens to start 16 bytes into a page for one with the header of glibc
 * 2.19-2.24, and records the two words before it as the block's range; at
 * exit the leak check then scans that range and dies ("Tracer caught signal
 * 11"), seen when the inventory program's main thread first touched a
 * dlopened library's TLS.  Since glibc 2.25 these blocks come from malloc,
 * reachable through the thread's DTV, so the leak check finds what they
 * point to without the interceptor. */
KTA_NOT_SANITIZED const char* __asan_default_options(void)
{
    return KTA_SANITIZER_DEFAULTS ":intercept_tls_get_addr=0";
}

KTA_NOT_SANITIZED const char* __ubsan_default_options(void)
{
    return KTA_SANITIZER_DEFAULTS;
}

/* libpam loses 96 bytes in pam_start when a service has neither a file of
 * its own nor "other" in the configuration directory (seen with a ten-line C
 * program calling only pam_start_confdir and pam_end).  The server asks for
 * such services whenever it is configured so, and the tests do on purpose. */
KTA_NOT_SANITIZED const char* __lsan_default_suppressions(void)
{
    return "leak:libpam.so\n";
}
