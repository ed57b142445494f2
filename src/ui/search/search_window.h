// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/search/disc_search.h"
#include "ui/common/search_host.h"

#include <QListWidget>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orlith {

class DateControl;
class ListSearch;

// The disc list of the search window: takes catalogs and discs dropped from the tree as text.
class DiscDropList : public QListWidget
{
    Q_OBJECT

public:
    explicit DiscDropList(QWidget *parent = nullptr);

signals:
    void textDropped(const QString &text);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    Qt::DropActions supportedDropActions() const override;
};

// The advanced search window: path text, a size bound and a date bound over the discs
// dragged onto its list (all discs while the list shows its placeholder). Modeless and on
// top; results go into the host's list through SearchHost::searchIntoList, and
// searchFinished() follows the end of a search this window started (never the end of one
// dropped by a newer search or by closing the window).
class SearchWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SearchWindow(SearchHost &host);
    ~SearchWindow() override;

    // The criteria as the controls hold them now.
    SearchCriteria criteria() const;

    // A text dropped on the disc list, with the tree's selected node as the dragged node.
    void dropText(const QString &text);
    // The clear button: removes the selected discs; an empty list shows the placeholder again.
    void removeSelected();
    // The Search button: a new search replaces one still running.
    void startSearch();
    bool searching() const;
    void updateSentence();

    bool showsAllPlaceholder() const { return m_showsAllPlaceholder; }
    // The discs chosen (empty while the placeholder stands for all).
    QStringList chosenDiscs() const;
    const QStringList &lstAll() const { return m_allDiscs; }

signals:
    void searchFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void fillPlaceholder();
    void setListColor(bool placeholder);
    void onSizeOptionChosen();
    void onDateOptionChosen();
    void onOptionTyped(QComboBox *box, bool finished);
    void onSizeTextChanged();
    void addDisc(const QString &disc);

    SearchHost &m_host;
    QLineEdit *m_text = nullptr;
    QComboBox *m_sizeOption = nullptr;
    QLineEdit *m_sizeBox = nullptr;
    QComboBox *m_dateOption = nullptr;
    DateControl *m_date = nullptr;
    DiscDropList *m_discs = nullptr;
    QToolButton *m_clear = nullptr;
    QPushButton *m_search = nullptr;
    QLabel *m_sentence = nullptr;
    QStringList m_allDiscs; // every disc, searched when the disc list is empty
    bool m_showsAllPlaceholder = true;
    QPointer<ListSearch> m_running; // the search this window started, while it runs
};

} // namespace orlith
