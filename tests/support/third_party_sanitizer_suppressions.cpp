// Default sanitizer suppressions for tests that draw text. They cover only
// the libraries below, which the sanitizers cannot see into:
// - fontconfig keeps its parsed configuration and font patterns for the life
//   of the process, which the leak checker reports at exit although nothing
//   of ours leaks;
// - pango initialises fontconfig on a thread of its own and hands the result
//   over through glib's locks, which ThreadSanitizer does not see (glib and
//   fontconfig are not instrumented), so it reports races inside them; the
//   font data that thread reaches through harfbuzz (not instrumented either)
//   is freed and reallocated under the same hand-over.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" const char* __tsan_default_suppressions() {
  return "race:libfontconfig.so\n"
         "race:libglib-2.0.so\n"
         "race:libpango-1.0.so\n"
         "race:libpangoft2-1.0.so\n"
         "race:libharfbuzz.so\n";
}
