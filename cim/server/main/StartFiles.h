// The files that mark a running server: the start lock
// (PEGASUS_HOME/cimserver_start.lock, held with flock for the server's
// whole life) and the start ("PID") files, which hold the server's process
// id as decimal text and a newline.
//
// Functions are stateless and thread-safe; a StartLock object is used by
// one thread.
#ifndef KTA_CIM_SERVER_MAIN_STARTFILES_H
#define KTA_CIM_SERVER_MAIN_STARTFILES_H

#include <stdexcept>
#include <string>

#include <sys/types.h>

#include "SystemCalls.h"

namespace Pegasus {

class StartFileError : public std::runtime_error
{
public:
    explicit StartFileError(const std::string& message)
        : std::runtime_error(message) {}
};

// PEGASUS_HOME/cimserver_start.conf and PEGASUS_HOME/cimserver_start.lock.
std::string startFilePath(const std::string& home);
std::string startLockPath(const std::string& home);

// Writes "<pid>\n" to `path` with mode 0600: the text goes to a private
// temporary file beside it (created exclusively, no symbolic link
// followed), which is then renamed onto `path`.  Whatever was at `path`
// (a symbolic link included) is replaced, not written through; a file
// there that belongs to another user is refused.  Throws StartFileError
// naming the path and the reason, leaving no temporary file behind.
void writePidFile(SystemCalls& sys, const std::string& path, pid_t pid);

// Reads the process id from `path`.  Returns false when the file is
// missing, unreadable or does not start with a positive decimal number.
bool readPidFile(const std::string& path, pid_t& pid);

// Removes `path` if it still names `pid` (so that a later server's file is
// left alone).  Never throws.
void removePidFileOf(SystemCalls& sys, const std::string& path, pid_t pid);

// The process name the kernel shows for `pid` (the comm field of
// /proc/<pid>/stat), and whether it is a live (not zombie) process.
// Returns false when there is no such process.
bool processName(pid_t pid, std::string& name, bool& alive);

// True when `pid` is a live process named "cimserver" (a name says nothing
// about which home it serves; see holdsStartLock).
bool isCimserverProcess(pid_t pid);

// Whether process `pid` holds the start lock of `home`: one of its open
// descriptors is the lock file and carries the exclusive flock (as listed
// in /proc/<pid>/fdinfo).  False when that cannot be read, as for another
// user's process.  This, not a process name, identifies the server of one
// home.
bool holdsStartLock(const std::string& home, pid_t pid);

// Whether some process holds the start lock of `home` (probed with a
// shared lock that is dropped at once).
bool startLockHeld(const std::string& home);

// The server recorded for `home`: its start file names a process other
// than this one that holds the start lock of `home`.  Sets `pid` when true.
bool runningServer(const std::string& home, pid_t& pid);

// The exclusive start lock of one PEGASUS_HOME.  The descriptor is
// close-on-exec but survives fork(), so a daemon's child keeps holding the
// lock after the parent exits.
class StartLock
{
public:
    StartLock(SystemCalls& sys, const std::string& home);
    ~StartLock();  // closes the descriptor (which releases the lock)

    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // Takes the lock without waiting.  Returns false when another process
    // holds it; throws StartFileError when the file cannot be opened or
    // locked for another reason.
    bool tryAcquire();

    // Removes the lock file and releases the lock.  Never throws.
    void releaseAndRemove();

private:
    SystemCalls& _sys;
    std::string _path;
    int _fd;
};

}  // namespace Pegasus

#endif
