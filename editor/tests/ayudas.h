#pragma once

// Helpers shared by the editor's window tests: a snapshot of every byte under the test drive root, and
// driving the main window through its buttons.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <string>

class QAbstractItemView;
class QListWidget;
class QPushButton;
class QWidget;
class Taller;

namespace prueba {

class Unidades;

// Every directory (value: null array) and file (value: its bytes) under the drive root, by relative path.
QMap<QString, QByteArray> instantanea(const Unidades& unidades);

// Clicks the button with the left mouse button.
void pulsar(QPushButton* boton);
// Replaces a single-line box's text by typing it, key by key.
void escribir(QWidget* caja, const QString& texto);
// Types the text at the cursor, key by key.
void teclear(QWidget* caja, const QString& texto);
// Selects the entry with this text by clicking it; false when there is none.
bool elegir(QListWidget* lista, const QString& texto);
bool elegir(QAbstractItemView* lista, const QString& texto);
// Clicks the check box of entry `fila` (at the left of the entry).
void marcar(QAbstractItemView* lista, int fila);
// The rows whose box is ticked, in order.
QList<int> marcados(const QAbstractItemView* lista);

// Common steps of an authoring session, each through the window's controls.
void crearRaiz(Taller& t, const QString& raiz);
void agregarTomo(Taller& t, const QString& ruta);
void cargarTomo(Taller& t, const QString& ruta);
void agregarArticulo(Taller& t, const QString& nombre);
void cargarArticulo(Taller& t, const QString& nombre);
void agregarLista(Taller& t, const QString& nombre);
void cargarLista(Taller& t, const QString& nombre);
// A root C:\ENC with the encyclopaedia C:\ENC\ASTRO, loaded in the window; the icon dialog is forgotten.
void prepararTomo(Taller& t);
// A whole authoring session through the windows: the root C:\\ENCICLO, the encyclopaedias ASTRO (own icon)
// and RIOS (icon dialog cancelled), ASTRO's description, the articles sol.txt, luna.txt and marte.txt with
// illustrations (pictures put into IMG by hand) and captions, and the lists "Cuerpos visibles" and Satélites.
void sesionCompleta(const Unidades& u, Taller& t);
// Runs queued deletions, so that a window closed with WA_DeleteOnClose is gone.
void borrarPendientes();

} // namespace prueba
