// Fuzzes the sidecar reader and the sidecar rewrite on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/sidecar.h"
#include "platform/status.h"

using namespace lcv::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact copy, so that a read past the image is a read past the allocation.
    const std::vector<std::uint8_t> image(data, data + size);
    SidecarFields fields;
    const int status = parseSidecarImage(image, fields);
    if (status != kNoErr && status != kIoErr) std::abort();
    if (status == kNoErr) {
        for (const auto& e : fields.entries)
            if (std::uint64_t(e.offset) + e.length > size) std::abort();
        if (fields.resourceForkLength != (fields.resourceFork ? fields.resourceFork->length : 0)) std::abort();
    }

    // Rewrites: the flags word, type and creator, a resource fork. Each result
    // must read back with the new values and the same other entries.
    const std::uint16_t flags = size >= 2 ? static_cast<std::uint16_t>((data[0] << 8) | data[size - 1]) : 0x000C;
    SidecarEdit edits[3];
    edits[0].flagsMask = 0x000E;
    edits[0].flagsValue = flags;
    edits[1].type = 0x54455854;
    edits[1].creator = 0x74747874;
    edits[2].resourceFork = std::vector<std::uint8_t>(data, data + (size < 64 ? size : 64));
    for (const auto& edit : edits) {
        std::vector<std::uint8_t> out;
        bool changed = false;
        const int s = editSidecarImage(image, true, edit, out, changed);
        if (status != kNoErr) {
            if (s == kNoErr) std::abort();  // a malformed sidecar is never rewritten
            continue;
        }
        if (s != kNoErr) continue;  // too large for the format
        if (!changed) continue;
        SidecarFields after;
        if (parseSidecarImage(out, after) != kNoErr) std::abort();
        if (edit.flagsMask && (!after.flags || (*after.flags & 0x000E) != (flags & 0x000E))) std::abort();
        if (edit.type && after.type != edit.type) std::abort();
        if (edit.resourceFork && after.resourceForkLength != edit.resourceFork->size()) std::abort();
        for (const auto& e : fields.entries) {
            if (e.id == kEntryBrowserInfo || e.id == kEntryResourceFork) continue;
            if (fields.find(e.id) != &e) continue;  // only the first entry of an id is looked up
            const SidecarEntry* n = after.find(e.id);
            if (!n || n->length != e.length) std::abort();
            for (std::uint32_t k = 0; k < e.length; ++k)
                if (out[n->offset + k] != image[e.offset + k]) std::abort();
        }
    }
    return 0;
}
