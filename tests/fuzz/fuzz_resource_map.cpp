// Fuzzes the resource map parser and the resource file service on arbitrary
// fork images.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/resource_file.h"
#include "platform/status.h"

using namespace lcv::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> image(data, data + size);
    ResourceFilter filter;
    if (size > 40) {
        filter.types.push_back(0x49434F4E);  // 'ICON'
        filter.typeIds.push_back({0x53545220, 128});
    }
    const ResourceFilter* filters[] = {nullptr, &filter};
    for (const ResourceFilter* f : filters) {
        const ParsedResourceMap m = f ? parseResourceMapImage(image, *f) : parseResourceMapImage(image);
        if (m.ok() == m.failure.has_value()) std::abort();
        if (m.failure && isValidAddr(m.failure->imageLength, m.failure->offset, m.failure->length)) std::abort();
        if (m.failure) (void)isValidAddrLine(*m.failure, "/fuzz");
        for (const auto& r : m.records) {
            if (r.dataPosition + r.dataLength > size) std::abort();
            if (r.name && r.name->size() > 255) std::abort();
        }
    }

    ResourceFile file;
    if (ResourceFile::fromImage(image, file) != kNoErr) return 0;
    for (int i = 1; i <= file.countTypes(); ++i) {
        ResType type = 0;
        if (file.typeAt(i, type) != kNoErr) std::abort();
        const int n = file.countOfType(type);
        for (int k = 1; k <= n && k <= 4096; ++k) {
            ResourceRef ref;
            if (file.resourceAt(type, k, ref) != kNoErr) std::abort();
            ResourceInfo info;
            std::uint8_t attrs = 0;
            std::uint64_t length = 0;
            std::span<const std::uint8_t> bytes;
            if (file.info(ref, info) == kNoErr) {
                ResourceRef again;
                if (file.find(type, info.id, again) != kNoErr) std::abort();
            }
            (void)file.attributes(ref, attrs);
            if (file.dataSize(ref, length) == kNoErr) {
                if (file.data(ref, bytes) != kNoErr || bytes.size() != length) std::abort();
                std::uint64_t sum = 0;  // touch every byte of the view
                for (std::uint8_t b : bytes) sum += b;
                if (sum > 255 * length) std::abort();
            }
        }
    }
    return 0;
}
