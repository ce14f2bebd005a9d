#include "platform/status.h"

#include <cerrno>

namespace lcv::platform {

int statusForErrno(int err) {
    switch (err) {
        case 0:
            return kNoErr;
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
            return kFnfErr;
        case EACCES:
        case EPERM:
        case EROFS:
            return kPermErr;
        case EIO:
            return kIoErr;
        case ENOMEM:
            return kMemFullErr;
        default:
            return kParamErr;
    }
}

const char* statusName(int status) {
    switch (status) {
        case kNoErr: return "noErr";
        case kIoErr: return "ioErr";
        case kEofErr: return "eofErr";
        case kFnfErr: return "fnfErr";
        case kParamErr: return "paramErr";
        case kPermErr: return "permErr";
        case kMemFullErr: return "memFullErr";
        case kResNotFound: return "resNotFound";
        case kMapReadErr: return "mapReadErr";
        default: return "unknownErr";
    }
}

}  // namespace lcv::platform
