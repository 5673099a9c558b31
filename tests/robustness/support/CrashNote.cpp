#include "CrashNote.h"

#include <unistd.h>

#include <csignal>
#include <cstring>

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define SHUNT_HAVE_SANITIZER_INTERFACE 1
#endif
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
#define SHUNT_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define SHUNT_SANITIZED 1
#endif
#endif

namespace shunt_robustness {

namespace {

// Written before each run and read only by the handlers: a fixed buffer,
// so that printing it after a crash needs no allocation.
char gNote[512];
std::size_t gNoteLength = 0;
bool gInstalled = false;

[[maybe_unused]] void printNote() {
    if (gNoteLength == 0) {
        return;
    }
    constexpr char prefix[] = "\n*** the run in progress: ";
    ssize_t ignored = ::write(STDERR_FILENO, prefix, sizeof prefix - 1);
    ignored = ::write(STDERR_FILENO, gNote, gNoteLength);
    ignored = ::write(STDERR_FILENO, "\n", 1);
    (void)ignored;
}

#if !defined(SHUNT_SANITIZED)
extern "C" void onFatalSignal(int signal) {
    printNote();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

void install() {
    if (gInstalled) {
        return;
    }
    gInstalled = true;
#if defined(SHUNT_SANITIZED)
    // The sanitizers handle the fatal signals themselves and end the process
    // after their report; their handlers must stay in place.
#if defined(SHUNT_HAVE_SANITIZER_INTERFACE)
    __sanitizer_set_death_callback(printNote);
#endif
#else
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        std::signal(signal, onFatalSignal);
    }
#endif
}

}  // namespace

void setCrashNote(const std::string& note) {
    install();
    gNoteLength = note.size() < sizeof gNote ? note.size() : sizeof gNote;
    std::memcpy(gNote, note.data(), gNoteLength);
}

void clearCrashNote() {
    gNoteLength = 0;
}

}  // namespace shunt_robustness
