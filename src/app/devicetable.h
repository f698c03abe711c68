// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/scanchanges.h"
#include "discovery/addresshealth.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace Ui {
class MainWindow;
}

class QCheckBox;
class QTableWidget;
class QTableWidgetItem;

// The device table of the window: one row per discovered device, the device index carried by every
// item of a row (and by its selection box) so that it survives sorting, and the family filter.
// Whoever cares about the selected device listens to signalCurrentDeviceChanged().
// After a scan compared with the one before it, the rows of new and changed units are marked, and the
// units that answered then and not now follow greyed in rows of their own, always at the end and never
// selectable; they carry no device index, and rowCount() leaves them out.
class DeviceTable : public QObject
{
    Q_OBJECT

public:
    static constexpr int columnSelection = 0;
    static constexpr int columnIcon = 1;
    static constexpr int columnGroup = 2;
    static constexpr int columnModuleId = 3;
    static constexpr int columnIp = 4;
    static constexpr int columnFirmware = 5;
    static constexpr int selectionColumnWidth = 80;
    static constexpr int iconColumnWidth = 96;
    static constexpr int iconSize = 90;
    static constexpr int pictureRowHeight = 96;
    static constexpr int noDevice = -1;
    static constexpr int unlimitedWidth = 16777215;
    // Rows at text height: the picture shrinks to fit the row.
    static constexpr int compactIconMargin = 2;
    static constexpr int compactIconPadding = 6;

    // Whether a device passes the filters beside the family filter (the search field's text).
    using RowFilter = std::function<bool(const Device_t&)>;

    // `filterOff` is true while the family filter is removed; until `noSelectionYet` clears, the filter
    // does not follow the selection.
    DeviceTable(Ui::MainWindow& ui, const QList<Device_t>& devices, bool& filterOff, const bool& noSelectionYet,
                QObject* parent = nullptr);

    QTableWidget* widget() const;
    // Header sections as the window shows them; the selection column starts hidden.
    void prepare();
    void setSelectionColumnShown(bool shown);
    // Widths that show every header and every address whole (the sort arrow counted on the sorted
    // column), and a table minimum width that keeps them so; the group column takes what is left.
    void fitColumns();

    void clear();
    // What the next appendRows() marks, and the missing units it lists after the devices.
    void setScanChanges(const ScanChanges& changes);
    const ScanChanges& scanChanges() const { return m_changes; }
    // Whether the rows of missing units show (the filters still apply to them).
    void setMissingShown(bool shown);
    bool missingShown() const { return m_missingShown; }
    // Appends rows for the devices 0 to count - 1, sorting off while they go in. They go in by MAC, so
    // that devices that sort equal keep one order from scan to scan, whatever order they answered in.
    void appendRows(int count);
    // Pictures at full size with rows to match, or small pictures in rows at text height.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }
    int rowHeight() const;
    static QString deviceIcon(const QString& code, const QString& brand);

    // The rows of devices found, which come first; the rows of missing units follow them.
    int rowCount() const;
    int missingRowCount() const { return m_missingRows; }
    // The missing unit of a row at or after rowCount(); nullptr for any other row.
    const ScanDifference::Removed* missingUnitOfRow(int row) const;
    // The device behind the current item; noDevice without one or out of range.
    int currentDeviceIndex() const;
    // Judges the devices' addresses against these interfaces and marks the rows of the devices with a
    // problem: a warning icon beside the address, and a tool tip that says what is wrong.
    void judgeAddresses(const QList<interfaces_t>& interfaces);
    const AddressHealth& addressHealth() const { return m_health; }

    // Through the row's group item, as the firmware page reads it.
    int deviceIndexOfRow(int row) const;
    int rowOfDevice(int deviceIndex) const;
    // Makes the row of the device with this MAC current; false when no device has it.
    bool selectDeviceWithMac(const QString& mac);
    QCheckBox* selectionBox(int row) const;
    static int deviceIndexOf(const QTableWidgetItem* item);
    // A device's family digit: the code's first digit, with motor drivers (4) counted as power supplies.
    static int familyDigit(const Device_t& device);

    // Switches the filter between removed and applied: the box's width, the flag and the action's text.
    void toggleFilter();
    void showAllRows();
    // With the filter applied, only rows of the family chosen in the box stay visible.
    void hideOtherFamilies();
    // A further filter on every row, family filter applied or not; the rows are filtered again at once.
    void setRowFilter(RowFilter filter);
    // The family filter and the row filter applied again, as they stand.
    void refilter();
    // Rows of devices found that the filters let through; missing units are not counted.
    int shownRowCount() const;
    int shownMissingRowCount() const;
    // With a device selected, the box turns to its family (which hides the others through the box's signal).
    void followCurrentDevice();

signals:
    // After every change of the table's selection, with the device now current (or noDevice).
    void signalCurrentDeviceChanged(int deviceIndex);
    // A row's selection box was ticked or unticked.
    void signalSelectionBoxChanged();
    // After every filtering: how many rows of devices found show of how many, and how many rows of
    // missing units show.
    void signalRowsShown(int shown, int total, int missingShown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendRow(int deviceIndex);
    void appendMissingRow(int missingIndex);
    void markChange(int row, const Device_t& device);
    // The device of a row, found or missing; nullptr for a row without one.
    const Device_t* deviceOfRow(int row) const;
    QList<int> indicesByMac(int count) const;
    bool passesRowFilter(int row) const;
    // The family filter's verdict on a row with the box at `wanted`.
    bool passesFamily(int row, int wanted) const;
    void setRowShown(int row, bool passes);
    void reportShownRows();
    int iconSide() const;
    QPixmap scaledIcon(const QString& path) const;
    // Greyed for a missing unit.
    QPixmap unitIcon(const Device_t& device, bool missing) const;
    void resizeIcons();
    void leaveHiddenRow();
    void markAddress(QTableWidgetItem* item, int deviceIndex) const;
    QTableWidgetItem* makeIconItem(const Device_t& device) const;
    QCheckBox* makeSelectionBox(const Device_t& device, int deviceIndex);

    Ui::MainWindow& m_ui;
    const QList<Device_t>& m_devices;
    bool& m_filterOff;
    const bool& m_noSelectionYet;
    AddressHealth m_health;
    RowFilter m_rowFilter;
    bool m_compact = false;
    ScanChanges m_changes;
    bool m_missingShown = true;
    int m_missingRows = 0;
};
