#include "Loops.h"

#include <algorithm>
#include <map>

namespace disasm {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

/// Immediate dominators of the instructions reachable from entry (kNone for
/// the others), by the iterative algorithm of Cooper, Harvey and Kennedy
/// over a reverse post-order.
std::vector<std::size_t> ImmediateDominators(const std::vector<Instruction>& instructions,
                                             const std::vector<std::vector<std::size_t>>& predecessors,
                                             std::size_t entry) {
    const std::size_t count = instructions.size();
    std::vector<std::size_t> order;  // post-order
    std::vector<char> seen(count, 0);
    std::vector<std::pair<std::size_t, std::size_t>> stack{{entry, 0}};
    seen[entry] = 1;
    while (!stack.empty()) {
        auto& [at, next] = stack.back();
        if (next < instructions[at].successors.size()) {
            const std::size_t successor = instructions[at].successors[next++];
            if (!seen[successor]) {
                seen[successor] = 1;
                stack.push_back({successor, 0});
            }
        } else {
            order.push_back(at);
            stack.pop_back();
        }
    }
    std::vector<std::size_t> rank(count, kNone);  // position in post-order
    for (std::size_t i = 0; i < order.size(); ++i) rank[order[i]] = i;

    std::vector<std::size_t> dominator(count, kNone);
    dominator[entry] = entry;
    const auto intersect = [&](std::size_t a, std::size_t b) {
        while (a != b) {
            while (rank[a] < rank[b]) a = dominator[a];
            while (rank[b] < rank[a]) b = dominator[b];
        }
        return a;
    };
    for (bool changed = true; changed;) {
        changed = false;
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            if (*it == entry) continue;
            std::size_t candidate = kNone;
            for (std::size_t predecessor : predecessors[*it]) {
                if (dominator[predecessor] == kNone) continue;
                candidate = candidate == kNone ? predecessor : intersect(predecessor, candidate);
            }
            if (candidate != dominator[*it]) {
                dominator[*it] = candidate;
                changed = true;
            }
        }
    }
    return dominator;
}

bool Dominates(const std::vector<std::size_t>& dominator, std::size_t head, std::size_t at) {
    while (true) {
        if (at == head) return true;
        if (dominator[at] == kNone || dominator[at] == at) return false;
        at = dominator[at];
    }
}

}  // namespace

std::vector<Loop> FindLoops(const std::vector<Instruction>& instructions, std::size_t entryIndex) {
    const std::size_t count = instructions.size();
    if (entryIndex >= count) return {};
    std::vector<std::vector<std::size_t>> predecessors(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t successor : instructions[i].successors) predecessors[successor].push_back(i);
    }
    const std::vector<std::size_t> dominator = ImmediateDominators(instructions, predecessors, entryIndex);

    std::map<std::size_t, Loop> byHead;
    for (std::size_t from = 0; from < count; ++from) {
        if (dominator[from] == kNone) continue;
        for (std::size_t head : instructions[from].successors) {
            if (!Dominates(dominator, head, from)) continue;
            Loop& loop = byHead[head];
            loop.headIndex = head;
            loop.backBranchIndex = std::max(loop.backBranchIndex, from);
            // The body: the head, and whatever reaches this edge without
            // passing the head.
            std::vector<char> inBody(count, 0);
            for (std::size_t i : loop.bodyIndices) inBody[i] = 1;
            inBody[head] = 1;
            std::vector<std::size_t> work{from};
            while (!work.empty()) {
                const std::size_t at = work.back();
                work.pop_back();
                if (inBody[at]) continue;
                inBody[at] = 1;
                for (std::size_t predecessor : predecessors[at]) work.push_back(predecessor);
            }
            loop.bodyIndices.clear();
            for (std::size_t i = 0; i < count; ++i) {
                if (inBody[i]) loop.bodyIndices.push_back(i);
            }
        }
    }
    std::vector<Loop> loops;
    for (auto& [head, loop] : byHead) loops.push_back(std::move(loop));
    return loops;
}

LoopSummary Summarize(const Listing& listing, const Loop& loop) {
    LoopSummary summary;
    summary.instructionCount = loop.bodyIndices.size();
    for (std::size_t i : loop.bodyIndices) {
        const Instruction& instruction = listing.instructions[i];
        summary.storeWidthsBytes.insert(summary.storeWidthsBytes.end(), instruction.storeWidthsBytes.begin(),
                                        instruction.storeWidthsBytes.end());
        if (instruction.flow == Flow::Call) summary.callees.push_back(instruction.targetName);
    }
    return summary;
}

}  // namespace disasm
