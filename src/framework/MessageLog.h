// Qt's warnings on standard error, each kind once: a failing backing store
// or a pasted run of unusual characters would otherwise print the same
// warning hundreds of times.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace afx {

/// Decides which messages to print. Messages of one kind differ only in
/// their numbers and quoted names; the first of each kind is printed as it
/// is, the others are only counted.
class MessageLog {
public:
    /// The message when it is the first of its kind, else nothing.
    std::optional<std::string> Accept(const std::string& message);
    /// One line for each kind that repeated: "velquor: N more Qt messages
    /// like: " and the kind, its numbers as "#" and quoted names as "…".
    /// In first-seen order.
    std::vector<std::string> Summary() const;

private:
    struct Kind {
        std::size_t order;
        std::size_t heldBack;
    };
    std::map<std::string, Kind> m_kinds;
};

/// Prints Qt's messages through one MessageLog from now on. A fatal message
/// during start-up ends the program with exit status 1 instead of an abort.
void InstallQtMessageLog();
/// Prints the summary of what the Qt message log held back, and forgets it.
void FlushQtMessageLog();

}  // namespace afx
