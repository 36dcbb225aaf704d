#pragma once

#include "search/folder_search.h"

#include <QString>

#include <memory>

class QComboBox;
class QLabel;
class QWidget;
class ResultListModel;
class ResultListView;

// The widgets a search touches, as the window has them: the search box, the count
// caption, and the window's result list (a list view with uniform item sizes
// over the model), shown on the offscreen platform.
class KeystrokePath
{
public:
    explicit KeystrokePath(const QString &startFolder);
    ~KeystrokePath();

    // What the user typed, and the "Ignorer les accents" option; not part of the measure.
    void type(const QString &text, search::SearchMode mode, bool ignoreAccents);
    // The search action's steps, up to the list being laid out and ready to paint.
    // Returns the number of lines.
    qsizetype search();
    // Paints the list once, so that the next measure starts from a drawn window.
    void paint();

private:
    QString m_startFolder;
    search::SearchMode m_mode = search::SearchMode::BeginsWith;
    bool m_ignoreAccents = false;
    std::unique_ptr<QWidget> m_window;
    QComboBox *m_searchBox;
    QLabel *m_caption;
    ResultListView *m_list;
    ResultListModel *m_model;
};
