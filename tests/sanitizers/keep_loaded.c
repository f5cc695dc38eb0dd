/* Preloaded into the sanitizer test run: libraries are never unloaded, so that
 * LeakSanitizer can still name the GL driver or Qt plugin a leak at exit came
 * from (an unloaded one shows as "<unknown module>", which no suppression by
 * library name can match). */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
