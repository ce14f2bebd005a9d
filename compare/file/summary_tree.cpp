#include "compare/file/summary_tree.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

#include "core/path.h"
#include "core/plist_io.h"
#include "core/text.h"

namespace lcv {

namespace {

DictRef newNode(const char* type) {
    auto node = Dict::make(4);
    node->set("type", type);
    return node;
}

DictRef rootNode(Dict& tree) {
    if (Value* v = tree.find("."); v && v->isDict()) return v->dict();
    auto root = newNode("d");
    tree.set(".", root);
    return root;
}

DictRef childOf(const DictRef& node, const std::string& name, const char* type) {
    DictRef children;
    if (Value* c = node->find("child"); c && c->isDict()) {
        children = c->dict();
    } else {
        children = Dict::make(4);
        node->set("child", children);
    }
    if (Value* existing = children->find(name); existing && existing->isDict()) return existing->dict();
    auto child = newNode(type);
    children->set(name, child);
    return child;
}

DictRef directoryNode(Dict& tree, const std::string& relative) {
    DictRef node = rootNode(tree);
    for (const auto& comp : pathComponents(relative)) {
        if (comp == ".") continue;
        node = childOf(node, comp, "d");
    }
    return node;
}

int kindRank(const std::string& name, const Dict& node) {
    if (node.get("type").str() == "f") return 0;
    const std::string ext = pathExtension(name);
    if (ext == "lyt") return 1;
    if (ext == "lproj") return 2;
    return 3;
}

void dumpChildren(std::string& out, const Dict& node, int depth) {
    const Value c = node.get("child");
    if (!c.isDict()) return;
    std::vector<std::pair<std::string, DictRef>> children;
    for (const auto& [name, child] : *c.dict())
        if (child.isDict()) children.emplace_back(name, child.dict());
    std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
        const int ra = kindRank(a.first, *a.second), rb = kindRank(b.first, *b.second);
        if (ra != rb) return ra < rb;
        const int ci = ::strcasecmp(a.first.c_str(), b.first.c_str());
        return ci != 0 ? ci < 0 : compareCodeUnits(a.first, b.first) < 0;
    });
    for (const auto& [name, child] : children) {
        out += sformat("%2d", depth);
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        out += name;
        if (child->get("type").str() == "d") out += '/';
        if (const Value* r = child->find("result"); r && r->isString()) out += " " + r->str();
        out += '\n';
        dumpChildren(out, *child, depth + 1);
    }
}

}  // namespace

void addDirectoriesToSummaryDict(Dict& tree, const Dict& dirs) {
    tree.set(".", newNode("d"));
    for (const auto& [key, value] : dirs) {
        (void)value;
        if (key != ".") directoryNode(tree, key);
    }
}

void addFilesToSummaryDict(Dict& tree, const Dict& files, const std::string& parentDir) {
    for (const auto& [name, value] : files) {
        (void)value;
        addFileToSummaryDict(tree, name, parentDir, nullptr);
    }
}

void addFileToSummaryDict(Dict& tree, const std::string& file, const std::string& parentDir,
                          const std::string* category) {
    DictRef node = childOf(directoryNode(tree, parentDir), file, "f");
    if (category) node->set("result", *category);
}

std::string fileDirectorySummaryText(const Dict& tree) {
    std::string out = "./\n";
    if (const Value root = tree.get("."); root.isDict()) dumpChildren(out, *root.dict(), 1);
    return out;
}

bool dumpFileDirectorySummaryDict(const Dict& tree, const std::string& outFile) {
    std::string error;
    return writeFileAtomically(outFile, fileDirectorySummaryText(tree), error);
}

}  // namespace lcv
