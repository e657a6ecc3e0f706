// SPDX-License-Identifier: MIT
// The ncdu export reader on any bytes: it refuses or reads, never crashes, and whatever it reads holds
// together: every name is one path component, each directory's figures are its own plus its children's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "store/NcduExport.h"
#include "store/StoredTree.h"
#include "util/UniqueFd.h"

namespace {

using trelmark::fuzz::check;
namespace store = trelmark::store;

void walkWhole(store::StoredTree& tree, std::string_view input) {
    std::vector<std::uint64_t> stack{tree.rootId()};
    while (!stack.empty()) {
        const std::uint64_t id = stack.back();
        stack.pop_back();
        const auto record = tree.record(id);
        const auto children = tree.children(id);
        check(record.ok() && children.ok(), "a read export answers for its own directories", input);
        check(store::checkFamily(*record, *children).empty(), "figures add up, names are components", input,
              store::checkFamily(*record, *children));
        for (const store::DirRecord& child : *children) {
            stack.push_back(child.id);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const trelmark::util::UniqueFd fd(::memfd_create("export", MFD_CLOEXEC));
    if (!fd || ::write(fd.get(), data, size) != static_cast<ssize_t>(size)) {
        return 0;
    }
    for (const bool diskUsage : {false, true}) {
        for (const bool once : {false, true}) {
            ::lseek(fd.get(), 0, SEEK_SET);
            std::string reason;
            const auto tree = store::readNcduExport(fd.get(), "fuzz", {diskUsage, once}, reason);
            check(tree != nullptr || !reason.empty(), "a refusal says why", input);
            if (tree != nullptr) {
                walkWhole(*tree, input);
            }
        }
    }
    return 0;
}
