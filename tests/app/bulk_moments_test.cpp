// SPDX-License-Identifier: Apache-2.0
// Moments in bulk: paste (Ctrl+V in the list or the new-moment edit, the
// menu entry), "Open moments…" / "Save moments…" and a dropped file.  Every
// digit survives a round trip; anything that is not a number leaves the list
// as it was and is named in the message.

#include "app_test_support.h"

#include "numeric/number_list.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <functional>

namespace vendrill::test {
namespace {

class BulkMomentsDialog : public CBoundsDlg {
public:
    QString openPath;
    QString savePath;

protected:
    QString ChooseOpenPath() override { return openPath; }
    QString ChooseSavePath() override { return savePath; }
};

class BulkMomentsTest : public DialogTest {
protected:
    std::unique_ptr<CBoundsDlg> MakeDialog() override {
        return std::make_unique<BulkMomentsDialog>();
    }
    BulkMomentsDialog& bulk() { return static_cast<BulkMomentsDialog&>(*dlg); }

    // The list as the dialog reads it, bit for bit.
    std::vector<std::uint64_t> moment_bits() const {
        std::vector<std::uint64_t> bits;
        for (int row = 0; row < dlg->m_momentCount; ++row)
            bits.push_back(std::bit_cast<std::uint64_t>(dlg->moment(row)));
        return bits;
    }
    static std::vector<std::uint64_t> bits_of(const std::vector<double>& values) {
        std::vector<std::uint64_t> bits;
        for (const double value : values)
            bits.push_back(std::bit_cast<std::uint64_t>(value));
        return bits;
    }
    QString path(const char* name) const {
        return QString::fromStdString((folder->path() / name).string());
    }
    void press(QWidget* target, QKeySequence::StandardKey key) {
        target->setFocus(Qt::OtherFocusReason);
        settle();
        const QKeySequence sequence(key);
        QTest::keyClick(target, static_cast<Qt::Key>(sequence[0].key()),
                        sequence[0].keyboardModifiers());
        settle();
    }
};

const std::vector<double> awkward = {1, 0.5, 1.0 / 3, 1e-7, -2.5e-300, 0.1, DBL_MAX, 123456.789};

TEST_F(BulkMomentsTest, PasteAppendsEveryNumberAtFullPrecision) {
    const struct {
        const char* name;
        std::function<void()> paste;
    } ways[] = {
        {"Ctrl+V in the list", [this] { press(list(), QKeySequence::Paste); }},
        {"Ctrl+V in the new-moment edit",
         [this] { press(edit(IDC_NEW_MOMENT), QKeySequence::Paste); }},
        {"menu entry", [this] { dlg->m_pasteMomentsEntry->trigger(); }},
    };
    QApplication::clipboard()->setText(
        QStringLiteral("0.5, 0.3333333333333333;1e-7\r\n# a comment\n-2.5e-300 0.1\t"
                       "1.7976931348623157e308 123456.789"));
    std::vector<double> expected = {1};
    add_moments({"1"});
    for (const auto& way : ways) {
        way.paste();
        expected.insert(expected.end(), awkward.begin() + 1, awkward.end());
        EXPECT_EQ(moment_bits(), bits_of(expected)) << way.name;
        EXPECT_EQ(column(1).mid(1, 3), QStringList({"0.5", "0.3333333333333333", "1e-07"}))
            << way.name;
        EXPECT_EQ(list()->topLevelItem(dlg->m_momentCount - 1)->text(0),
                  QStringLiteral("%1.").arg(dlg->m_momentCount - 1));
        EXPECT_TRUE(boxes.isEmpty()) << way.name;
    }

    // One number pastes into the edit, which the user then adds with "+".
    QApplication::clipboard()->setText(QStringLiteral("0.125"));
    press(edit(IDC_NEW_MOMENT), QKeySequence::Paste);
    EXPECT_EQ(edit(IDC_NEW_MOMENT)->text(), QStringLiteral("0.125"));
    EXPECT_EQ(dlg->m_momentCount, static_cast<int>(expected.size()));
}

TEST_F(BulkMomentsTest, BadPasteLeavesTheListUnchangedAndNamesTheItem) {
    QString many;
    for (int i = 0; i < max_bulk_moments; ++i)
        many += QStringLiteral("0.5\n");
    // Several items (bad or not) go to the list from the new-moment edit too;
    // fewer paste into the edit itself.
    const struct {
        QString clipboard;
        QString message;
        bool fromTheEditToo;
    } rows[] = {
        {"0.25 0.125\nabc 7", "Nothing was pasted: 'abc' (line 2, item 3) is not a number.", true},
        {"1 inf", "Nothing was pasted: 'inf' (line 1, item 2) is not a finite number.", true},
        {"0,5 1e999",
         "Nothing was pasted: '1e999' (line 1, item 3) is out of the range of a double.", true},
        {"# nothing but a comment", "The clipboard holds no numbers.", false},
        {many, "The list takes at most 1000 moments; these would make 1002.", true},
    };
    add_moments({"1", "0.5"});
    const QStringList before = column(1);
    for (const auto& row : rows) {
        for (QWidget* target :
             {static_cast<QWidget*>(list()), static_cast<QWidget*>(edit(IDC_NEW_MOMENT))}) {
            if (target != list() && !row.fromTheEditToo)
                continue;
            boxes.clear();
            QApplication::clipboard()->setText(row.clipboard);
            press(target, QKeySequence::Paste);
            EXPECT_EQ(boxes, QStringList({row.message})) << row.message.toStdString();
            EXPECT_EQ(column(1), before);
            EXPECT_EQ(dlg->m_momentCount, 2);
        }
    }
}

TEST_F(BulkMomentsTest, SaveAndOpenKeepEveryDigit) {
    QApplication::clipboard()->setText(QString::fromStdString(format_number_list(awkward)));
    dlg->m_pasteMomentsEntry->trigger();
    ASSERT_EQ(moment_bits(), bits_of(awkward));

    bulk().savePath = path("moments.txt");
    press(list(), QKeySequence::Save);
    EXPECT_EQ(read_file(bulk().savePath.toStdString()), format_number_list(awkward));

    // Open replaces the list.
    add_moments({"7", "8"});
    bulk().openPath = bulk().savePath;
    press(edit(IDC_POSITION), QKeySequence::Open);
    EXPECT_EQ(moment_bits(), bits_of(awkward));
    EXPECT_EQ(column(0).last(), QStringLiteral("7."));
    EXPECT_TRUE(boxes.isEmpty());

    // A file made by hand: comments, commas, CRLF.
    test_support::write_file(folder->path() / "hand.txt", "# uniform\r\n1, 0.5,\r\n0.25 # m2\r\n");
    EXPECT_TRUE(dlg->LoadMomentsFile(path("hand.txt")));
    EXPECT_EQ(column(1), QStringList({"1", "0.5", "0.25"}));
}

TEST_F(BulkMomentsTest, BadFilesLeaveTheListUnchanged) {
    test_support::write_file(folder->path() / "word.txt", "1\n0.5\n\n  x1 0.2\n");
    test_support::write_file(folder->path() / "empty.txt", "# no moments here\n");
    const struct {
        QString path;
        QString message; // its start
    } rows[] = {
        {path("word.txt"), "Nothing was loaded from " + path("word.txt") +
                               ": 'x1' (line 4, item 3) is not a number."},
        {path("empty.txt"), path("empty.txt") + " holds no moments."},
        {path("missing.txt"), "Could not open " + path("missing.txt") + ": "},
    };
    add_moments({"1", "0.5"});
    for (const auto& row : rows) {
        boxes.clear();
        bulk().openPath = row.path;
        dlg->m_openMomentsEntry->trigger();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_TRUE(boxes.front().startsWith(row.message)) << boxes.front().toStdString();
        EXPECT_EQ(column(1), QStringList({"1", "0.5"}));
    }

    boxes.clear();
    EXPECT_FALSE(dlg->SaveMomentsFile(path("no-such-folder/moments.txt")));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front().startsWith("Could not save the moments to "))
        << boxes.front().toStdString();
}

TEST_F(BulkMomentsTest, DroppedFileReplacesTheList) {
    test_support::write_file(folder->path() / "dropped.txt", "1 0 1 0 3\n");
    add_moments({"1", "0.5"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("dropped.txt"))});
    for (QWidget* target :
         {static_cast<QWidget*>(dlg.get()), static_cast<QWidget*>(edit(IDC_POSITION))}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        settle();
        EXPECT_EQ(column(1), QStringList({"1", "0", "1", "0", "3"}));
        EXPECT_EQ(edit(IDC_POSITION)->text(), QStringLiteral("0")); // not the file's name
        add_moments({"9"});
    }
    // Two files are not a moments file.
    data.setUrls({QUrl::fromLocalFile(path("dropped.txt")), QUrl::fromLocalFile(path("x.txt"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(dlg.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(boxes.isEmpty());
}

} // namespace
} // namespace vendrill::test
