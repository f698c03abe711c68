// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clicontext.h"

#include "cli/cliapplication.h"

#include <QTextStream>

CliContext::CliContext(QTextStream& out, QTextStream& err, CliScanner& scanner, const QString& commandName)
    : m_out(out), m_err(err), m_scanner(scanner), m_commandName(commandName)
{}

void CliContext::error(const QString& message)
{
    m_err << CliApplication::programName << ' ' << m_commandName << ": " << message << '\n';
    m_err.flush();
}
