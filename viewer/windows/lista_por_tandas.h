#pragma once

// A long list view laid out a batch of rows per turn of the event loop (QListView::Batched) does not hold up
// the window while it lays out a million rows, but until it is done the rows past the part laid out have no
// place: the view cannot scroll to them, and its keys cannot move to them. These help it meanwhile.

class QAbstractItemView;
class QListView;
class QPersistentModelIndex;

namespace lista_por_tandas {

// Scrolls `vista` to `indice` now and, while it is still the current row and not yet in view (not laid out
// yet, or beyond the room the view has laid out so far), again each turn of the event loop, for a second or so.
void mostrar(QAbstractItemView* vista, const QPersistentModelIndex& indice);

// While `lista` is still being laid out, Up, Down, Page Up, Page Down, Home and End (Ctrl+Home and Ctrl+End
// too) move its current row by rows, counted on the model, and the row they go to is shown once it is laid
// out. `lista` is one column of rows of one height, none hidden. Once it is all laid out, the view moves by
// its own keys as ever.
void moverPorFilas(QListView* lista);

} // namespace lista_por_tandas
