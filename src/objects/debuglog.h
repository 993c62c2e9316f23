#ifndef DEBUGLOG_H
#define DEBUGLOG_H

class QString;

// The demo's log lines, handed to the message handler exactly as the
// classic debug stream wrote them: every item followed by one blank, and a
// QString between double quotes with its line feeds kept as they are.
namespace DebugLog {
void text(const char *text);
void string(const QString &string);
} // namespace DebugLog

#endif // DEBUGLOG_H
