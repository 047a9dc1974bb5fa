#pragma once

// A seam under the engine: the test executables define the file calls the engine makes, so that a test can
// record them, refuse unnamed files, swap a file at the moment it is opened, or kill the process just before a
// chosen call. Untouched, every call goes straight through to the C library.

#include <functional>
#include <string>
#include <vector>

namespace enginetest::seam {

// One call that decides what a crash leaves behind. On Windows only the names handed to CreateFileW are
// recorded (as OpenNamed, the name in UTF-8 with anything beyond ASCII as '?'): Wine opens names that Windows
// would refuse, so what the system was handed is what a test can check. `fd` is the descriptor the call works on (for a
// link, the file being named; for an unnamed open, the one it returned); `name` the entry it names, removes or opens.
struct Call {
    enum class Op { OpenUnnamed, OpenNamed, Flush, Link, Rename, Remove } op;
    int fd = -1;
    std::string name;
    std::string from; // a rename's old name
};

void StartRecording();
std::vector<Call> StopRecording();
// The names looked up (stat, lstat, fstatat) and not found between the last StartRecording and StopRecording.
std::vector<std::string> MissingLookups();

// Unnamed files are refused as a file system without them would refuse them (on Windows, the mark).
void RefuseUnnamedFiles(bool refuse);

// The process kills itself (SIGKILL) just before its n-th flush, link, rename or removal from now; 0: never.
// On Windows (TerminateProcess) the calls are a mark, taking it back and the renames.
void KillBeforeCall(int n);
// How many such calls were made since the last KillBeforeCall.
int CallsSoFar();

// Windows: a volume that shares blocks stands in for the real one. It reports the flag and `cluster`-byte
// clusters, clones by copying, and refuses every clone from its `refuseFrom`-th on (0: none); a cluster of 0
// gives the real volume back. Clones() lists the ranges it was handed since, with both files' sizes then.
struct Clone {
    long long source, target, count, sourceSize, targetSize;
};
void CloningVolume(long long cluster, int refuseFrom);
std::vector<Clone> Clones();

// Runs just before a file is opened for reading by its path; the path is passed in. Empty: nothing.
void BeforeOpen(std::function<void(const std::string&)> action);

} // namespace enginetest::seam
