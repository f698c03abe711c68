// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimage.h"
#include "firmware/firmwareimagekind.h"

#include <QCoreApplication>
#include <QString>

class QIODevice;

// Reads a firmware file whole before any byte of it reaches a unit, so that a damaged or mistaken file
// is refused while the unit still runs its old firmware. What passes is handed on as the image the
// procedures send, so nothing reaches a unit that was not checked.
class FirmwareImageCheck
{
    // Every text is in the "FirmwareImageCheck" context, where the translation tools find it.
    Q_DECLARE_TR_FUNCTIONS(FirmwareImageCheck)

public:
    // Highest load address + 1 the beamline procedure can erase: sectors 0..127 of 64 KiB (0x800000).
    static constexpr quint64 sRecordAddressLimit = 0x800000;
    // A file larger than this is no image of ours (power-supply images are at most some hundreds of MiB).
    static constexpr qint64 maxImageBytes = 1024LL * 1024 * 1024;
    // Text images are read into memory whole: a beamline flash of 8 MiB is some 20 MiB of S-records.
    static constexpr qint64 maxTextImageBytes = 256LL * 1024 * 1024;

    struct Result
    {
        bool ok = false;
        int line = 0;        // 1-based line of the first fault; 0 when the fault is not one line's
        int column = 0;      // 1-based column of that fault within its line; 0 with line 0
        QString reason;      // English text, e.g. "line 2, column 17: bad checksum (is 3F, should be 40)"
        QString message;     // the log line: "ERROR: <path>: <reason>"
        FirmwareImage image; // what is sent, when ok
    };

    // The kind the content looks like: SRecord when the first non-blank line starts with 'S' followed by
    // a digit, IntelHex when it starts with ':', PowerSupplyImage otherwise (binary or anything else).
    // Looks at most at the first 4 KiB, without moving the device's position.
    static FirmwareImageKind detectKind(QIODevice& image);
    static FirmwareImageKind detectKind(const QString& path); // PowerSupplyImage when unreadable

    // Reads the whole file and checks it as `kind`. A file that cannot be opened, or is larger than
    // maxImageBytes, fails with the OS reason.
    static Result check(const QString& path, FirmwareImageKind kind);
    // Reads the device from its present position to its end; a device that is not open is opened for reading.
    static Result check(QIODevice& image, const QString& name, FirmwareImageKind kind);

    // Short names for messages: "a power-supply image (.updt)", "an S-record image (.flash)",
    // "an Intel HEX image (.hex)".
    static QString kindDescription(FirmwareImageKind kind);
};
