// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// The contiguous memory sections of an image, in the order in which they start in the file.
// Addresses count 16-bit words, as in the DSP's image files.
struct DataStruct
{
    QList<qint32> startAddresses;
    QList<QByteArray> data;
};

// Reads a DSP firmware image in Intel HEX form (data, end-of-file and extended linear address records;
// addresses in 16-bit words) and merges its data records into sections.
class ParseHex : public QObject
{
    Q_OBJECT

public:
    enum LineResult { lineAccepted = 0, lineMalformed = 1, lineChecksumError = 2 };
    static constexpr int maxLineChars = 127;

    explicit ParseHex(QObject* parent = nullptr);

    // 0 when the whole file was read and holds data, 1 otherwise (failureReason() tells why).
    int parseAllFile(QString path);
    // One text line starting with ':'; length counts its characters without the line end.
    int parseHexLine(char* line, unsigned length);
    DataStruct getDataStruct();
    // Records in file order merged into sections: a record that follows its predecessor's last word joins
    // its section, a repeat of the previous address is dropped, anything else opens a section.
    static DataStruct sectionsOf(const QList<quint32>& addresses, const QList<QByteArray>& data);

    const QList<QByteArray>& recordData() const { return m_recordData; }
    const QList<quint32>& recordAddresses() const { return m_recordAddresses; }
    // Why the last parseAllFile() or parseHexLine() refused its input; empty after success.
    QString failureReason() const { return m_failureReason; }

    // Upper address part set by the last extended linear address record; 0 in a new parser and at the
    // start of each parseAllFile().
    quint32 extAddress() const { return m_extAddress; }

private:
    int refuseLine(const QString& reason);
    int readLine(const QByteArray& line, int lineNumber);

    QList<QByteArray> m_recordData;
    QList<quint32> m_recordAddresses;
    QString m_failureReason;
    quint32 m_extAddress = 0;
};
