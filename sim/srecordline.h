// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// One Motorola S-record as a flash unit reads it from a line of the image: its type, load address and data.
class SRecordLine
{
public:
    enum class Problem { None, Format, Checksum };

    // Reads a line without its line ending.
    static SRecordLine parse(const QByteArray& line);

    Problem problem() const { return m_problem; }
    bool isValid() const { return m_problem == Problem::None; }
    char type() const { return m_type; }
    bool isData() const { return m_type == '1' || m_type == '2' || m_type == '3'; }
    bool isHeader() const { return m_type == '0'; }
    quint32 address() const { return m_address; }
    const QByteArray& data() const { return m_data; }

    static int addressBytes(char type);

private:
    static SRecordLine failed(Problem problem);

    Problem m_problem = Problem::Format;
    char m_type = 0;
    quint32 m_address = 0;
    QByteArray m_data;
};
