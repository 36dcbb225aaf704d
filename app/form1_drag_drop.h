#pragma once

#include "app/form1.h"

#include <QString>

class ResultListView;

// The insertion bar of a drag within the result list: the index of the bar drawn last
// (0 at start) and whether a bar is on screen (false between drags). One list uses them.
extern int DropBarLine;
extern bool DropBarDrawn;

// Accepts a drag over the list and draws or erases the insertion bar: each move erases
// the bar drawn before and draws the one on the top edge of the line under (x, y); leave
// erases it. Every bar drawn is erased exactly once.
void PaintDropBar(ResultListView *list, int x, int y, TForm1::DragState state, bool &accept);

// Names the source (the current line) and the destination (the line just above the bar)
// of a drop at (x, y), switches the list to multiple selection and marks both lines.
// False, with nothing changed, when the drop cannot be resolved.
bool ResolveListDrop(ResultListView *list, int x, int y, QString &source, QString &destination);
