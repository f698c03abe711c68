// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"

#include <QUrl>

// The information page: every known field of the selected device, and the button that opens a
// power supply's web interface.
class InformationPage : public DevicePage
{
    Q_OBJECT

public:
    static constexpr int stackPage = 1;
    static constexpr int infoRowsBeforeExtras = 10;

    explicit InformationPage(const PageContext& context, QObject* parent = nullptr);

    int stackIndex() const override { return stackPage; }
    QPushButton* pageButton() const override;

    // Column widths; the web frame starts hidden.
    void prepare();
    void clear();
    // Fills the table with the current device's fields.
    void writeAddInfo();
    void showWebInterface();
    void openWebInterface();

private:
    void fillInfoRows(const Device_t& device);
    // A last row that says what is wrong with the device's address, when anything is.
    void appendAddressProblem(int deviceIndex);
    void fitAddressProblemRow();
    bool webInterfaceAvailable(int deviceIndex) const;
    // True when the unit is reachable at its address, or the user opens it anyway after the warning.
    bool confirmUnreachableAddress(int deviceIndex, const QUrl& url);

    int m_problemRow = -1;
};
