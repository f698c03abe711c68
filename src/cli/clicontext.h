// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CliScanner;
class QTextStream;

// What a command works with: its two output streams and the scan engine.
class CliContext
{
public:
    CliContext(QTextStream& out, QTextStream& err, CliScanner& scanner, const QString& commandName);

    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    CliScanner& scanner() { return m_scanner; }
    // One line on standard error, opened by the program and command name.
    void error(const QString& message);

private:
    QTextStream& m_out;
    QTextStream& m_err;
    CliScanner& m_scanner;
    QString m_commandName;
};
