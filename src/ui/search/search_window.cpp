// Orlith — desktop catalogue of removable media.
#include "ui/search/search_window.h"

#include "core/search/list_search.h"
#include "core/store/file_categories.h"
#include "ui/common/date_control_widget.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace orlith {

namespace {

constexpr char kNotSure[] = "not sure";
constexpr char kAtLeast[] = "at least";
constexpr char kAtMost[] = "at most";
constexpr char kBefore[] = "before";
constexpr char kAfter[] = "after";
constexpr int kPlaceholderBlankItems = 6;
const QString kAllDiscsItem = QStringLiteral("                      All CD/DVD");

// The colours of a stored value 0x80000000 + index: window text, and a greyed text for the
// placeholder (the application-workspace grey).
constexpr quint32 kMenuTextColor = 0x80000007u;
constexpr quint32 kWindowColor = 0x80000005u;
constexpr quint32 kWindowTextColor = 0x80000008u;

bool isNumber(const QString &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

} // namespace

// --- the drop list -------------------------------------------------------------------

DiscDropList::DiscDropList(QWidget *parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void DiscDropList::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void DiscDropList::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void DiscDropList::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasText())
        return;
    event->acceptProposedAction();
    emit textDropped(event->mimeData()->text());
}

Qt::DropActions DiscDropList::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

// --- the window ----------------------------------------------------------------------

SearchWindow::SearchWindow(SearchHost &host)
    : QWidget(host.searchHostWindow(), Qt::Window | Qt::WindowStaysOnTopHint), m_host(host)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search"));
    buildControls();

    m_host.setNodeDragging(true);
    adjustSize();
    const QRect main = m_host.searchHostWindow()->frameGeometry();
    move(main.left() + main.width() / 2 - width() / 2,
         main.top() + main.height() / 2 - height() / 2);
    fillPlaceholder();
    m_date->setEnable(false);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::buildControls()
{
    auto *options = new QGroupBox(QStringLiteral("Search options"), this);
    options->setObjectName(QStringLiteral("frameSearch"));
    auto *grid = new QGridLayout(options);
    auto label = [&](const char *name, const QString &text) {
        auto *l = new QLabel(text, options);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto optionBox = [&](const char *name, const QStringList &items) {
        auto *box = new QComboBox(options);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(items);
        box->setCurrentText(QString::fromLatin1(kNotSure));
        return box;
    };

    m_text = new QLineEdit(options);
    m_text->setObjectName(QStringLiteral("txtSearchString"));
    grid->addWidget(label("Label1", QStringLiteral("Search string:")), 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 3);

    m_sizeOption =
        optionBox("cmbOptVelicina", {QString::fromLatin1(kAtLeast), QString::fromLatin1(kAtMost),
                                     QString::fromLatin1(kNotSure)});
    m_sizeBox = new QLineEdit(options);
    m_sizeBox->setObjectName(QStringLiteral("txtVelicinaFile"));
    m_sizeBox->setEnabled(false);
    m_sizeBox->installEventFilter(this);
    grid->addWidget(label("Label2", QStringLiteral("What size is it:")), 1, 0);
    grid->addWidget(m_sizeOption, 1, 1);
    grid->addWidget(m_sizeBox, 1, 2);
    grid->addWidget(label("Label3", QStringLiteral("KB")), 1, 3);

    m_dateOption =
        optionBox("cmbOptDatum", {QString::fromLatin1(kNotSure), QString::fromLatin1(kBefore),
                                  QString::fromLatin1(kAfter)});
    m_date = new DateControl(options);
    m_date->setObjectName(QStringLiteral("DateControl1"));
    m_date->setBackColor(kWindowColor);
    m_date->setForeColor(kWindowTextColor);
    grid->addWidget(label("Label4", QStringLiteral("Creation date:")), 2, 0);
    grid->addWidget(m_dateOption, 2, 1);
    grid->addWidget(m_date, 2, 2, 1, 2, Qt::AlignLeft);

    auto *discFrame = new QGroupBox(QStringLiteral("Drag and drop catalogs and CD/DVD"), this);
    discFrame->setObjectName(QStringLiteral("frmCDs"));
    auto *discLayout = new QGridLayout(discFrame);
    m_discs = new DiscDropList(discFrame);
    m_discs->setObjectName(QStringLiteral("lstCDtoSearch"));
    m_discs->setMinimumHeight(8 * m_discs->fontMetrics().height());
    m_clear = new QToolButton(discFrame);
    m_clear->setObjectName(QStringLiteral("cmdClearList"));
    m_clear->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    m_clear->setToolTip(QStringLiteral("Remove selected items"));
    discLayout->addWidget(m_discs, 0, 0, 2, 1);
    discLayout->addWidget(m_clear, 0, 1, Qt::AlignTop);

    m_search = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                               QStringLiteral("Search"), this);
    m_search->setObjectName(QStringLiteral("cmdSearch"));
    m_sentence = new QLabel(QStringLiteral("Waiting . . ."), this);
    m_sentence->setObjectName(QStringLiteral("lblText"));
    m_sentence->setWordWrap(true);
    m_sentence->setMinimumHeight(3 * m_sentence->fontMetrics().height());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(discFrame, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_sentence, 1);
    bottom->addWidget(m_search, 0, Qt::AlignTop);
    layout->addLayout(bottom);
    setMinimumWidth(440);

    connect(m_sizeOption, &QComboBox::activated, this, &SearchWindow::onSizeOptionChosen);
    connect(m_dateOption, &QComboBox::activated, this, &SearchWindow::onDateOptionChosen);
    connect(m_sizeOption, &QComboBox::editTextChanged, this,
            [this] { onOptionTyped(m_sizeOption, false); });
    connect(m_dateOption, &QComboBox::editTextChanged, this,
            [this] { onOptionTyped(m_dateOption, false); });
    connect(m_sizeOption->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { onOptionTyped(m_sizeOption, true); });
    connect(m_dateOption->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { onOptionTyped(m_dateOption, true); });
    connect(m_sizeBox, &QLineEdit::textChanged, this, &SearchWindow::onSizeTextChanged);
    connect(m_discs, &DiscDropList::textDropped, this, &SearchWindow::dropText);
    connect(m_clear, &QToolButton::clicked, this, &SearchWindow::removeSelected);
    connect(m_search, &QPushButton::clicked, this, &SearchWindow::startSearch);
    connect(m_text, &QLineEdit::returnPressed, this, &SearchWindow::startSearch);

    // Not a dialog, so Esc is bound here; closing stops a running search as the title bar's
    // button does.
    auto *escape = new QAction(this);
    escape->setObjectName(QStringLiteral("actClose"));
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
}

void SearchWindow::closeEvent(QCloseEvent *event)
{
    // A newer search (this window's or the main window's) has already dropped it, if so.
    if (m_running)
        m_host.stopListSearch();
    m_host.setNodeDragging(false);
    QWidget::closeEvent(event);
}

// --- options -------------------------------------------------------------------------

void SearchWindow::onSizeOptionChosen()
{
    m_sizeBox->setEnabled(m_sizeOption->currentText() != QLatin1String(kNotSure));
}

void SearchWindow::onDateOptionChosen()
{
    m_date->setEnable(m_dateOption->currentText() != QLatin1String(kNotSure));
}

void SearchWindow::onOptionTyped(QComboBox *box, bool finished)
{
    const QString text = box->currentText();
    bool valid = false;
    bool prefix = false;
    for (int i = 0; i < box->count(); ++i) {
        valid = valid || box->itemText(i) == text;
        prefix = prefix || box->itemText(i).startsWith(text);
    }
    if (valid) {
        // A whole option typed by hand counts as chosen.
        box == m_sizeOption ? onSizeOptionChosen() : onDateOptionChosen();
        return;
    }
    // A word still being typed may become an option; anything else falls back at once.
    if (prefix && !finished)
        return;
    const QSignalBlocker block(box);
    box->setCurrentText(QString::fromLatin1(kNotSure));
    if (box == m_sizeOption)
        m_sizeBox->setEnabled(false);
    else
        m_date->setEnable(false);
}

bool SearchWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sizeBox && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
            key->key() == Qt::Key_Backtab || text.isEmpty())
            return false;
        const QChar c = text.at(0);
        const bool allowed =
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
        return !allowed;
    }
    return QWidget::eventFilter(watched, event);
}

void SearchWindow::onSizeTextChanged()
{
    const QString text = m_sizeBox->text();
    if (!text.isEmpty() && !isNumber(text))
        m_sizeBox->clear();
}

SearchCriteria SearchWindow::criteria() const
{
    SearchCriteria c;
    c.text = m_text->text();
    const QString size = m_sizeOption->currentText();
    if (size == QLatin1String(kAtLeast))
        c.sizeOption = SizeOption::AtLeast;
    else if (size == QLatin1String(kAtMost))
        c.sizeOption = SizeOption::AtMost;
    c.sizeText = m_sizeBox->text();
    const QString date = m_dateOption->currentText();
    if (date == QLatin1String(kBefore))
        c.dateOption = DateOption::Before;
    else if (date == QLatin1String(kAfter))
        c.dateOption = DateOption::After;
    c.date = m_date->date();
    return c;
}

// --- the disc list -------------------------------------------------------------------

void SearchWindow::fillPlaceholder()
{
    m_discs->clear();
    for (int i = 0; i < kPlaceholderBlankItems; ++i)
        m_discs->addItem(QStringLiteral(" "));
    m_discs->addItem(kAllDiscsItem);
    m_showsAllPlaceholder = true;
    setListColor(true);
}

void SearchWindow::setListColor(bool placeholder)
{
    QPalette p = m_discs->palette();
    const QColor text = placeholder ? p.color(QPalette::Active, QPalette::PlaceholderText)
                                    : colorFromText(QString::number(kMenuTextColor), p);
    p.setColor(QPalette::Active, QPalette::Text, text);
    p.setColor(QPalette::Inactive, QPalette::Text, text);
    m_discs->setPalette(p);
}

void SearchWindow::addDisc(const QString &disc)
{
    if (m_discs->findItems(disc, Qt::MatchExactly).isEmpty())
        m_discs->addItem(disc);
}

void SearchWindow::dropText(const QString &text)
{
    if (m_showsAllPlaceholder) {
        m_showsAllPlaceholder = false;
        setListColor(false);
        m_discs->clear();
    }
    switch (m_host.selectedNodeKind()) {
    case NodeKind::Disc:
        addDisc(text);
        break;
    case NodeKind::Catalog:
        for (const QString &disc : m_host.discsOf(text))
            addDisc(disc);
        break;
    case NodeKind::Root:
    case NodeKind::Folder:
    case NodeKind::None:
        break;
    }
}

void SearchWindow::removeSelected()
{
    for (int i = 0; i < m_discs->count();) {
        if (m_discs->item(i)->isSelected())
            delete m_discs->takeItem(i);
        else
            ++i;
    }
    if (m_discs->count() == 0)
        fillPlaceholder();
}

QStringList SearchWindow::chosenDiscs() const
{
    QStringList out;
    if (m_showsAllPlaceholder)
        return out;
    for (int i = 0; i < m_discs->count(); ++i)
        out << m_discs->item(i)->text();
    return out;
}

// --- searching -----------------------------------------------------------------------

void SearchWindow::startSearch()
{
    if (m_showsAllPlaceholder)
        m_allDiscs = m_host.discsInOrder();
    updateSentence();
    m_running =
        m_host.searchIntoList(m_showsAllPlaceholder ? m_allDiscs : chosenDiscs(), criteria());
    connect(m_running, &ListSearch::finished, this, [this] {
        m_running = nullptr;
        emit searchFinished();
    });
}

bool SearchWindow::searching() const
{
    return m_running != nullptr;
}

void SearchWindow::updateSentence()
{
    m_sentence->setText(describeSearch(criteria()));
}

} // namespace orlith
