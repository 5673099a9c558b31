// What a long robustness run was doing when it died. A crash or a sanitizer
// report ends the process at once, so the run in progress (a scenario and
// the call made to fail, a fuzzer seed and step) is noted before it starts
// and printed on standard error if the process dies.
#ifndef TESTS_ROBUSTNESS_CRASHNOTE_H
#define TESTS_ROBUSTNESS_CRASHNOTE_H

#include <string>

namespace shunt_robustness {

// Installs the handlers (once) and replaces the note.
void setCrashNote(const std::string& note);
void clearCrashNote();

}  // namespace shunt_robustness

#endif
