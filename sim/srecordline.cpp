// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "srecordline.h"

namespace {
constexpr int kHeadLength = 2;
constexpr int kChecksumBytes = 1;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
} // namespace

int SRecordLine::addressBytes(char type)
{
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return 0;
    }
}

SRecordLine SRecordLine::failed(Problem problem)
{
    SRecordLine record;
    record.m_problem = problem;
    return record;
}

SRecordLine SRecordLine::parse(const QByteArray& line)
{
    const int width = line.size() > 1 ? addressBytes(line.at(1)) : 0;
    if (line.size() < kHeadLength + 2 || line.at(0) != 'S' || width == 0 || (line.size() - kHeadLength) % 2 != 0)
        return failed(Problem::Format);
    for (int i = kHeadLength; i < line.size(); ++i) {
        if (!isHexDigit(line.at(i)))
            return failed(Problem::Format);
    }
    const QByteArray bytes = QByteArray::fromHex(line.mid(kHeadLength));
    const int count = quint8(bytes.at(0));
    if (count != bytes.size() - 1 || count < width + kChecksumBytes)
        return failed(Problem::Format);
    quint8 sum = 0;
    for (int i = 0; i < bytes.size() - kChecksumBytes; ++i)
        sum = quint8(sum + quint8(bytes.at(i)));
    if (quint8(~sum) != quint8(bytes.at(bytes.size() - 1)))
        return failed(Problem::Checksum);
    SRecordLine record;
    record.m_problem = Problem::None;
    record.m_type = line.at(1);
    for (int i = 1; i <= width; ++i)
        record.m_address = (record.m_address << 8) | quint8(bytes.at(i));
    record.m_data = bytes.mid(1 + width, count - width - kChecksumBytes);
    return record;
}
