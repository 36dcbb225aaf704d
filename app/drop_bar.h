#pragma once

#include <QPoint>

class ResultListView;

// The insertion bar of a drag within the result list, drawn on the top edge of the line
// under the pointer. The list draws a bar by inverting it, so each bar drawn must be
// erased exactly once: the bar remembers where it was drawn last and whether it is on
// screen.
class DropBar
{
public:
    DropBar() = default;
    explicit DropBar(ResultListView *list) : m_list(list) {}

    // Erases the bar drawn before and draws the one of the line under point.
    void update(const QPoint &point);
    // Erases the bar, when one is on screen.
    void erase();

private:
    ResultListView *m_list = nullptr;
    int m_line = 0;
    bool m_drawn = false;
};
