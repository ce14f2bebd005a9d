// Status codes of platform calls, in the classic numbering that the report lines
// carry (docs/host.md, "Status codes"). Every failure of the platform layer comes
// back as one of these numbers; 0 is success.
#pragma once

namespace lcv::platform {

enum Status : int {
    kNoErr = 0,
    kIoErr = -36,         // input/output error; also a malformed sidecar
    kEofErr = -39,        // end of file (a fork shorter than its recorded length)
    kFnfErr = -43,        // the item does not exist
    kParamErr = -50,      // any other failure
    kPermErr = -54,       // permission denied
    kMemFullErr = -108,   // out of memory
    kResNotFound = -192,  // resource not found (also: no resource fork)
    kMapReadErr = -199,   // the resource map is malformed
};

// The one translation of an errno value into a status code.
int statusForErrno(int err);

// A short name of a status code for messages ("fnfErr", ...).
const char* statusName(int status);

}  // namespace lcv::platform
