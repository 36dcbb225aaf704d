#include "app/drop_bar.h"

#include "app/result_list_view.h"

void DropBar::update(const QPoint &point)
{
    const int line = m_list->lineIndexAt(point);
    erase();
    m_list->toggleDropBar(line);
    m_line = line;
    m_drawn = true;
}

void DropBar::erase()
{
    if (m_drawn)
        m_list->toggleDropBar(m_line);
    m_drawn = false;
}
