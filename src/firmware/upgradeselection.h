// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimagecheck.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// Which firmware image a unit takes, by the procedure its catalog code is upgraded with: power supplies
// other than Vesk take the binary .updt image, beamline instruments and Vesk supplies an S-record
// image, motor drivers an Intel HEX image per DSP. The window and the command line ask the same
// question with it before anything is sent.
class UpgradeSelection
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeSelection)

public:
    // Nothing for a family without a firmware procedure (current transducers, unknown codes).
    static std::optional<FirmwareImageKind> imageKindFor(const QString& code);

    // Empty when these units may be upgraded in one run: each has a firmware procedure (current transducers
    // have none), they share one catalog code, and a motor driver goes alone; else why not. The page lets
    // only such a selection be ticked, the command line refuses any other.
    static QString selectionProblem(const QList<Device_t>& units);
    // The same, for a run that upgrades up to `parallel` units at once: with more than one, several motor
    // drivers of one code may go together, each behind a module of its own.
    static QString selectionProblem(const QList<Device_t>& units, int parallel);
    // The kind a manually typed address takes: it is upgraded by the power-supply procedure.
    static FirmwareImageKind manualImageKind() { return FirmwareImageKind::PowerSupplyImage; }

    // Empty when the file's content is of the kind the units take; otherwise the sentence that says
    // what it looks like and what the units take, e.g. "fw.flash looks like an S-record image; the
    // selected units are power supplies, which take .updt images". `code` empty stands for a manual address.
    static QString mismatch(const QString& path, FirmwareImageKind content, const QString& code);

    // The whole-file check of an image for units that take `wanted`. With `acceptOtherKind` (the user chose
    // to send it anyway) a file for the power-supply upload, which sends it unchanged, is checked as what
    // its content is; the other procedures read records out of the file and check it as what they take.
    static FirmwareImageCheck::Result checkImage(const QString& path, FirmwareImageKind wanted, bool acceptOtherKind);

    static QString contentDescription(FirmwareImageKind kind);
    static QString fileEnding(FirmwareImageKind kind);
    static QString unitsDescription(const QString& code);
};
