#include "fixtures.h"

#include <algorithm>

namespace lcvtest {

namespace {

void put16(std::string& s, unsigned v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}

void put32(std::string& s, std::uint32_t v) {
    put16(s, v >> 16);
    put16(s, v & 0xFFFF);
}

}  // namespace

std::string sidecar(const std::vector<SidecarEntry>& entries) {
    std::string head;
    put32(head, 0x00051607);
    put32(head, 0x00020000);
    head += std::string(16, '\0');
    put16(head, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(head.size() + 12 * entries.size());
    std::string body;
    for (const auto& e : entries) {
        put32(head, e.id);
        put32(head, offset + static_cast<std::uint32_t>(body.size()));
        put32(head, static_cast<std::uint32_t>(e.bytes.size()));
        body += e.bytes;
    }
    return head + body;
}

std::string browserInfo(const std::string& type, const std::string& creator, std::uint16_t flags, std::uint8_t script) {
    std::string s = (type + "    ").substr(0, 4) + (creator + "    ").substr(0, 4);
    put16(s, flags);
    s += std::string(14, '\0');
    s += static_cast<char>(script);
    s += std::string(7, '\0');
    return s;
}

std::string resourceFile(const std::vector<Resource>& resources, std::uint16_t mapAttributes) {
    std::string data;
    std::vector<std::uint32_t> offsets;
    for (const auto& r : resources) {
        offsets.push_back(static_cast<std::uint32_t>(data.size()));
        put32(data, static_cast<std::uint32_t>(r.data.size()));
        data += r.data;
    }
    std::vector<std::string> types;
    for (const auto& r : resources)
        if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);
    std::string typeList, refs, names;
    put16(typeList, static_cast<unsigned>(types.size() - 1));
    const std::size_t refStart = 2 + 8 * types.size();
    for (const auto& t : types) {
        std::vector<std::size_t> idx;
        for (std::size_t i = 0; i < resources.size(); ++i)
            if (resources[i].type == t) idx.push_back(i);
        typeList += t;
        put16(typeList, static_cast<unsigned>(idx.size() - 1));
        put16(typeList, static_cast<unsigned>(refStart + refs.size()));
        for (std::size_t i : idx) {
            const auto& r = resources[i];
            put16(refs, static_cast<std::uint16_t>(r.id));
            if (r.name) {
                put16(refs, static_cast<unsigned>(names.size()));
                names += static_cast<char>(r.name->size());
                names += *r.name;
            } else {
                put16(refs, 0xFFFF);
            }
            refs += static_cast<char>(r.attributes);
            refs += static_cast<char>((offsets[i] >> 16) & 0xFF);
            put16(refs, offsets[i] & 0xFFFF);
            put32(refs, 0);
        }
    }
    const std::uint32_t dataOffset = 256;
    const std::uint32_t mapOffset = dataOffset + static_cast<std::uint32_t>(data.size());
    const std::string mapBody = typeList + refs;
    const std::uint32_t mapLength = static_cast<std::uint32_t>(28 + mapBody.size() + names.size());
    std::string header;
    put32(header, dataOffset);
    put32(header, mapOffset);
    put32(header, static_cast<std::uint32_t>(data.size()));
    put32(header, mapLength);
    std::string map = header + std::string(6, '\0');
    put16(map, mapAttributes);
    put16(map, 28);
    put16(map, static_cast<unsigned>(28 + mapBody.size()));
    map += mapBody + names;
    return header + std::string(dataOffset - 16, '\0') + data + map;
}

}  // namespace lcvtest
