// Orlith — desktop catalogue of removable media.
#include "ui/main/first_start_hint.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QEvent>

namespace orlith {

namespace {

// The captions are those of the menus and the tree's context menu.
constexpr char kHintText[] =
    "Your catalogue is empty.\n\n"
    "To begin, create a catalog: File > New > Catalog...\n"
    "Then insert a CD/DVD and choose File > New > CD/DVD... (Ctrl+N) to add it to the "
    "catalog; \"Other folder...\" there takes any folder.";

} // namespace

FirstStartHint::FirstStartHint(QAbstractItemView *view)
    : QLabel(QString::fromLatin1(kHintText), view->viewport()), m_view(view)
{
    setObjectName(QStringLiteral("lblFirstStart"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setMargin(24);
    setForegroundRole(QPalette::PlaceholderText);
    // Clicks go through to the list below.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    view->viewport()->installEventFilter(this);
    QAbstractItemModel *model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &FirstStartHint::refresh);
    connect(model, &QAbstractItemModel::rowsInserted, this, &FirstStartHint::refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FirstStartHint::refresh);
    refresh();
}

void FirstStartHint::setStoreEmpty(bool empty)
{
    m_storeEmpty = empty;
    refresh();
}

bool FirstStartHint::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        setGeometry(m_view->viewport()->rect());
    return QLabel::eventFilter(watched, event);
}

void FirstStartHint::refresh()
{
    setGeometry(m_view->viewport()->rect());
    setVisible(m_storeEmpty && m_view->model()->rowCount() == 0);
}

} // namespace orlith
