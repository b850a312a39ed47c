// Defaults the sanitizer runtimes ask the test programs for, so a test run directly behaves as
// one run by CTest. Harmless in a build without sanitizers: nothing calls these then.
extern "C" {

const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=1"; }

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Caches that Qt's font, input-device and graphics stack keep for the life of the process.
const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Core\n"
           "leak:libQt6Widgets\n"
           "leak:libX11\n"
           "leak:libxcb\n";
}
}
