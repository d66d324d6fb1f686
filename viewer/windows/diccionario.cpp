#include "windows/diccionario.h"

#include "main_window/fuentes.h"
#include "main_window/teclado.h"
#include "store/codificacion.h"
#include "ui/texto.h"
#include "ui/twips.h"
#include "windows/consulta_palabra.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

Diccionario::Diccionario(std::string directorio, QWidget* parent)
    : QWidget(parent, Qt::Window), directorio_(std::move(directorio)) {
    setObjectName(QStringLiteral("frmLibro5"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Diccionario"));
    instalarSustitucionesDeFuentes();
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));
    ui::tamanoCliente(this, 4935, 3375);

    txtPalabra = new QLineEdit(this);
    txtPalabra->setObjectName(QStringLiteral("txtPalabra"));
    txtPalabra->setAccessibleName(QStringLiteral("Palabra"));
    ui::colocar(txtPalabra, 120, 240, 4695, 285);
    txtPalabra->installEventFilter(this);

    txtDescrip = new QPlainTextEdit(this);
    txtDescrip->setObjectName(QStringLiteral("txtDescrip"));
    txtDescrip->setAccessibleName(QStringLiteral("Definición"));
    txtDescrip->setReadOnly(true);
    txtDescrip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui::colocar(txtDescrip, 120, 720, 4695, 2535);

    setTabOrder(txtPalabra, txtDescrip);
    teclado::escapeCierra(this);
    txtPalabra->setFocus();
}

Diccionario* Diccionario::mostrar(QWidget* padre, const std::string& directorio, const QString& palabra,
                                  const QString& descripcion) {
    auto* ventana = new Diccionario(directorio, padre);
    if (padre) {
        ventana->setWindowIcon(padre->windowIcon());
    }
    ventana->txtPalabra->setText(palabra);
    ventana->txtDescrip->setPlainText(descripcion);
    ventana->setWindowModality(Qt::ApplicationModal);
    ventana->show();
    ventana->activateWindow();
    ventana->txtPalabra->setFocus();
    return ventana;
}

void Diccionario::txtPalabra_KeyDown(int KeyCode, Qt::KeyboardModifiers /*Shift*/) {
    if (KeyCode != 13) {
        return;
    }
    const QString escrito = txtPalabra->text();
    const std::optional<std::string> bytes = ui::haciaStore(escrito);
    if (!bytes) {
        // No dictionary line can hold a character outside Windows-1252.
        txtPalabra->setText(escrito.toUpper());
        txtDescrip->setPlainText(QString::fromUtf16(consulta::kNoSeEncuentra));
        return;
    }
    const std::string W = store::aMayusculas(*bytes); // not trimmed
    txtPalabra->setText(ui::desdeStore(W));
    txtDescrip->setPlainText(QString::fromUtf16(consulta::kNoSeEncuentra));
    txtDescrip->setPlainText(consulta::definicionPara(directorio_, W));
}

bool Diccionario::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == txtPalabra && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            txtPalabra_KeyDown(13, tecla->modifiers());
            return true; // Enter does nothing else
        }
        txtPalabra_KeyDown(tecla->key(), tecla->modifiers());
    }
    return QWidget::eventFilter(objeto, evento);
}
