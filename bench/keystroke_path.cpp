#include "bench/keystroke_path.h"

#include "app/result_list_model.h"
#include "app/result_list_view.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

KeystrokePath::KeystrokePath(const QString &startFolder)
    : m_startFolder(startFolder), m_window(std::make_unique<QWidget>())
{
    auto *layout = new QVBoxLayout(m_window.get());
    m_searchBox = new QComboBox;
    m_searchBox->setEditable(true);
    m_caption = new QLabel(u"Liste des sous-dossiers trouvés :"_qs);
    m_list = new ResultListView; // the window's own list, uniform item sizes
    m_model = m_list->resultModel();
    layout->addWidget(m_searchBox);
    layout->addWidget(m_caption);
    layout->addWidget(m_list);
    m_window->resize(640, 800);
    m_window->show();
}

KeystrokePath::~KeystrokePath() = default;

void KeystrokePath::type(const QString &text, search::SearchMode mode, bool ignoreAccents)
{
    m_mode = mode;
    m_ignoreAccents = ignoreAccents;
    const QSignalBlocker blocker(m_searchBox);
    m_searchBox->setEditText(text);
}

qsizetype KeystrokePath::search()
{
    const QString text = m_searchBox->currentText();
    if (!search::searchTextLongEnough(text))
        return m_model->rowCount();
    search::SearchRequest request;
    request.startFolder = m_startFolder;
    request.text = text;
    request.mode = m_mode;
    request.locale = QLocale::system();
    request.ignoreAccents = m_ignoreAccents;
    QStringList lines = search::findEntries(request);
    const qsizetype count = lines.size();
    m_model->setLines(std::move(lines));
    m_caption->setText(search::countCaption(count, text, m_mode));
    m_list->setCurrentLine(0);
    m_list->doItemsLayout();
    return count;
}

void KeystrokePath::paint()
{
    m_window->repaint();
}
