#include "MessageLog.h"

#include "Startup.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>

namespace afx {
namespace {

// The kind of a message: quoted names become "…" and runs of digits "#".
std::string KindOf(const std::string& message) {
    std::string kind;
    kind.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = message.find(c, i + 1);
            if (close != std::string::npos) {
                kind += c;
                kind += "\xE2\x80\xA6";
                kind += c;
                i = close;
                continue;
            }
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i + 1 < message.size() && std::isdigit(static_cast<unsigned char>(message[i + 1]))) ++i;
            kind += '#';
            continue;
        }
        kind += c;
    }
    return kind;
}

MessageLog g_log;
// Qt calls the handler on the thread that warns, and Qt's list of installed
// fonts is made on a helper thread while the main thread starts the window.
std::mutex g_logMutex;

void PrintQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::string message = qFormatLogMessage(type, context, text).toStdString();
    if (type == QtFatalMsg && InStartup()) StartupFailed(message.c_str());
    const std::lock_guard lock(g_logMutex);
    if (const auto line = g_log.Accept(message)) std::fprintf(stderr, "%s\n", line->c_str());
}

}  // namespace

std::optional<std::string> MessageLog::Accept(const std::string& message) {
    const auto [it, first] = m_kinds.try_emplace(KindOf(message), Kind{m_kinds.size(), 0});
    if (first) return message;
    ++it->second.heldBack;
    return std::nullopt;
}

std::vector<std::string> MessageLog::Summary() const {
    std::vector<std::pair<std::size_t, std::string>> lines;
    for (const auto& [kind, counts] : m_kinds) {
        if (counts.heldBack == 0) continue;
        const std::size_t start = kind.find_first_not_of(' ');
        lines.emplace_back(counts.order, "velquor: " + std::to_string(counts.heldBack) + " more Qt messages like: " +
                                             kind.substr(start == std::string::npos ? 0 : start));
    }
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> summary;
    for (auto& line : lines) summary.push_back(std::move(line.second));
    return summary;
}

void InstallQtMessageLog() {
    qInstallMessageHandler(PrintQtMessage);
}

void FlushQtMessageLog() {
    const std::lock_guard lock(g_logMutex);
    for (const std::string& line : g_log.Summary()) std::fprintf(stderr, "%s\n", line.c_str());
    g_log = MessageLog();
}

}  // namespace afx
