// SPDX-License-Identifier: Apache-2.0
#pragma once
// CBoundsDlg: the main dialog.  The user enters the position, chooses the
// estimation type and its limits, builds the moments list and runs Calculate;
// the bounds, the message line and the verdict boxes answer.  The moments
// live only as the texts of the list's rows.

#include "app/cdialog.h"
#include "app/zero_filled.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/error_log.h"

#include <QIcon>
#include <QString>

#include <vector>

class QAction;
class QCheckBox;
class QContextMenuEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class Vector;
struct BoundsRequest;
struct SharpAnalysis;
struct SharpBounds;

namespace vendrill {

// Widths of the list's "#" and "momentum" columns for a list whose client
// area is clientWidth pixels wide: a and 4a with a = (clientWidth - 15) / 5.
struct MomentColumnWidths {
    int number;
    int momentum;
};
MomentColumnWidths moment_column_widths(int clientWidth);

// The texts of the context menu's entries for moments in bulk.
extern const char* const paste_moments_entry_text; // "Paste moments"
extern const char* const open_moments_entry_text;  // "Open moments…"
extern const char* const save_moments_entry_text;  // "Save moments…"
// The check box's tooltip.
extern const char* const sharp_bounds_tooltip;
// Most moments the list takes from a paste, a file or a drop.
inline constexpr int max_bulk_moments = 1000;

class CPlotWnd;

// The box Calculate shows when a failure escaped the estimation.  The
// estimation's own texts are the library's (estimation/messages.h).
extern const char* const calculation_failed_message;

// The context menu's switch between the classic estimations and the sharp
// bounds, and what Calculate says in sharp mode.
extern const char* const sharp_bounds_entry_text;
extern const char* const sharp_determinate_message;
// A determinate list at a position next to an atom: not exact there.
extern const char* const sharp_near_atom_message;
extern const char* const sharp_infeasible_message;
extern const char* const sharp_limits_message;
extern const char* const sharp_position_message;
// "Only the first N moments could be used."
QString sharp_partial_message(int momentsUsed);
// The box Calculate shows for the sharp bounds at one position; empty when
// the bounds need no comment.
QString sharp_verdict_message(const SharpAnalysis& analysis, const SharpBounds& bounds);

class CBoundsDlg : public CDialog, public RequestSource {
public:
    explicit CBoundsDlg(QWidget* parent = nullptr);
    ~CBoundsDlg() override;

    // The request, as last transferred from the controls.
    double position() const override { return m_position; }
    int type() const override { return m_type; }
    double lower() const override { return m_lower; }
    double upper() const override { return m_upper; }
    int momentCount() const override { return m_momentCount; }
    double moment(int i) const override;

    // Handlers of the message map.
    void OnSysCommand(unsigned nID, long lParam);
    void OnHelp();
    void OnTypeNormal();
    void OnTypePositive();
    void OnTypeBounded();
    bool OnEditKillFocus();
    void OnNewMomentSetFocus();
    void OnAddMoment();
    void OnCalculate();
    void OnDeleteMoments();
    void OnMoveUp();
    void OnMoveDown();
    void OnSharpBounds(bool checked);
    void OnPlot();
    // Appends the numbers on the clipboard to the list.
    void OnPasteMoments();
    void OnOpenMoments();
    void OnSaveMoments();

    // Replaces the list with the moments of a file; false, with a message
    // and the list unchanged, when the file cannot be read or holds anything
    // but numbers.
    bool LoadMomentsFile(const QString& path);
    // Writes the list to a file, one moment a line, each in the text that
    // reads back to the same double; false, with a message, when it cannot.
    bool SaveMomentsFile(const QString& path);
    // Draws the request on the dialog anew in the plot window, if it is open.
    void RefreshPlot();

    // Members in declaration order.
    int m_momentCount = 0;
    QLineEdit* m_upperBoundEdit = nullptr;
    QLineEdit* m_lowerBoundEdit = nullptr;
    QLineEdit* m_newMomentEdit = nullptr;
    QTreeWidget* m_momentList = nullptr;
    QLineEdit* m_upperEdit = nullptr;
    QLineEdit* m_lowerEdit = nullptr;
    double m_position = 0;
    double m_lower = 0;
    double m_upper = 0;
    double m_newMoment = 0;
    double m_lowerBound = 0;
    double m_upperBound = 0;
    QString m_message;
    int m_type = 0;
    QIcon m_icon;
    // The entries Windows would append to the system menu; the dialog's
    // context menu here, since the window manager owns the title-bar menu.
    QMenu* m_systemMenu = nullptr;
    // Calculate gives the sharp bounds instead of the classic estimations.
    bool m_sharp = false;
    // Where the classic estimation's reports and diagnostics go; the dialog
    // itself is the request they record.
    EstimationContext m_estimation;
    QAction* m_sharpBoundsEntry = nullptr;
    // What a right click opens: the system menu's entries, the switch and
    // the moments in bulk.
    QMenu* m_contextMenu = nullptr;
    // The switch on the dialog's face; it and the menu entry mirror each other.
    QCheckBox* m_sharpBoundsBox = nullptr;
    QAction* m_pasteMomentsEntry = nullptr;
    QAction* m_openMomentsEntry = nullptr;
    QAction* m_saveMomentsEntry = nullptr;
    // The window "Plot…" opens (made at the first click, a child of the dialog).
    CPlotWnd* m_plotWindow = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Ctrl+V in the new-moment edit with several numbers on the clipboard,
    // and files dropped on the edits.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Where "Open moments…" and "Save moments…" read and write: the user's
    // choice in a file dialog (an empty path: cancelled).  Seams for the tests.
    virtual QString ChooseOpenPath();
    virtual QString ChooseSavePath();

    // The classic estimation of the request on the moments into the bound
    // members; the estimate (its outcome and guard verdict).  A seam for the
    // tests, which make it fail the way a failure escaping the estimation would.
    virtual Estimate RunEstimation(const Vector& moments);

    // Into the dialog's own log, with the dialog's request.
    void ReportFailure(const Failure& failure) override;

private:
    void BindMessageMap();
    void SetAccessibleNames();
    void InsertMomentColumns();
    QString MomentText(int row) const;
    // Sets the value of a row; a text wider than the column shows elided in
    // the middle, and whole in the row's tooltip.
    void SetMomentText(int row, const QString& text);
    // Appends a row holding value in the shortest text that reads back to it.
    void AppendMoment(double value);
    // Appends values (replace: in place of the list); false, with a message
    // and the list unchanged, when the list would grow too long.
    bool AddMoments(const std::vector<double>& values, bool replace);
    // The request as the controls show it, read without a transfer; false
    // when a field does not hold a number.
    bool ReadRequestOnScreen(BoundsRequest& request, double& position) const;
    void RelabelFrom(int row);
    // The selected rows, in increasing order.  Transfers the controls first.
    ZeroFilledArray<int> CollectSelection();
    void SelectRows(ZeroFilledArray<int>& rows);
    // The guard's box, if any, then the outcome's box and the switch to a
    // weaker type, if any.
    void ActOnEstimate(const Estimate& estimate);
    void BuildContextMenu();
    // The sharp bounds of the request into the bound members, then the box.
    void CalculateSharp(const double* moments, int count);
};

} // namespace vendrill
