// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimage.h"

#include <QLabel>
#include <QString>

#include <optional>

// The line under a firmware file's field: what the check finds in the chosen file for the selected units,
// as soon as it is chosen, so that a file that would be refused at Start is seen to be wrong before.
class ImageCheckLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ImageCheckLabel(QWidget* parent = nullptr);

    // `code` is the selected units' catalog code, empty for a manual address; without one the file is
    // checked as what its content looks like. No existing file shows nothing.
    void showCheck(const QString& path, const std::optional<QString>& code);
    bool showsRefusal() const { return m_refused; }

private:
    void showSummary(const FirmwareImage& image);
    void showRefusal(const QString& reason, const QString& consequence);
    static QString kindName(FirmwareImageKind kind);

    // The file, its size and time and the kind wanted when last checked: a selection that changes nothing
    // for the file does not read a large image again.
    QString m_checked;
    bool m_refused = false;
};
