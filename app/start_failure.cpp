#include "app/start_failure.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace kestrin {
namespace {

// A message of the window system's making, held until the application object exists.
struct Held {
    QtMsgType type;
    std::string file;
    int line;
    std::string function;
    std::string category;
    QString text;
};
std::vector<Held> held;
QtMessageHandler previous = nullptr;

// The first line of a message: Qt's fatal one goes on to list every platform it has.
std::string FirstLine(const QString& text) {
    const QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    return line.toStdString();
}

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        held.push_back({type, context.file ? context.file : "", context.line,
                        context.function ? context.function : "",
                        context.category ? context.category : "", text});
        return;
    }
    std::vector<std::string> said;
    for (const Held& message : held) said.push_back(FirstLine(message.text));
    said.push_back(FirstLine(text));
    const std::string line =
        StartFailureReport::FailureLine(qEnvironmentVariable("QT_QPA_PLATFORM").toStdString(),
                                        qEnvironmentVariable("DISPLAY").toStdString(), said);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    // Qt aborts once a fatal message's handler returns; the program ends here instead, with the
    // status of a failure and without a core dump.
    std::_Exit(1);
}

}  // namespace

StartFailureReport::StartFailureReport() {
    held.clear();
    previous = qInstallMessageHandler(HoldMessage);
    m_previous = previous;
}

StartFailureReport::~StartFailureReport() { Done(); }

void StartFailureReport::Done() {
    if (m_done) return;
    m_done = true;
    qInstallMessageHandler(m_previous);
    std::vector<Held> messages = std::move(held);
    held.clear();
    for (const Held& message : messages) {
        const QMessageLogContext context(message.file.c_str(), message.line,
                                         message.function.c_str(), message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
}

std::string StartFailureReport::FailureLine(const std::string& platform, const std::string& display,
                                            const std::vector<std::string>& said) {
    std::string where;
    if (!platform.empty() && platform != "xcb") {
        where = "of the platform \"" + platform + "\"";
    } else {
        where = display.empty() ? "(DISPLAY is not set)" : display;
    }
    std::string reason = "the window system could not be reached";
    for (const std::string& line : said) {
        if (!line.empty()) {
            reason = line;
            break;
        }
    }
    return "kestrin: cannot open the display " + where + ": " + reason;
}

}  // namespace kestrin
