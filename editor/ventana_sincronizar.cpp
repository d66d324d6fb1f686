#include "editor/ventana_sincronizar.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "historial/historial.h"
#include "historial/sincronizar.h"
#include "store/archivo_de_texto.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using forja::boton;
using forja::control;
using historial::Sincronizacion;
using ui::Dialogos;

namespace {

std::vector<std::size_t> conflictosDe(const historial::ArchivoEnConflicto& archivo) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < archivo.piezas.size(); ++i) {
        if (archivo.piezas[i].conflicto) {
            indices.push_back(i);
        }
    }
    return indices;
}

QString texto(const std::string& bytes) {
    QString t = forja::textoDeLineas(store::partirLineas(bytes));
    if (t.endsWith(QLatin1Char('\n'))) {
        t.chop(1);
    }
    return t;
}

} // namespace

VentanaSincronizar::VentanaSincronizar(SesionForja& sesion, QWidget* parent)
    : QWidget(parent, Qt::Window), sesion_(sesion) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaSincronizar"));
    setWindowTitle(QStringLiteral("Sincronizar %1").arg(sesion.tomo()->directorio()));
    paginas = new QStackedWidget(this);

    auto* destino = new QWidget(paginas);
    auto* lblDestino = forja::etiqueta(destino, QStringLiteral("lblDestino"),
                                       QStringLiteral("La otra copia: una carpeta (como una memoria USB) o la "
                                                      "dirección de un servidor git."),
                                       true);
    txtDestino = control<QLineEdit>(destino, QStringLiteral("txtDestino"), QStringLiteral("La otra copia"));
    cmdElegirCarpeta = boton(destino, QStringLiteral("cmdElegirCarpeta"), QStringLiteral("&Elegir carpeta…"));
    cmdSincronizar = boton(destino, QStringLiteral("cmdSincronizar"), QStringLiteral("&Sincronizar"));
    lblEstado = forja::etiqueta(destino, QStringLiteral("lblEstado"), QString(), true);
    auto* c1 = new QVBoxLayout(destino);
    c1->addWidget(lblDestino);
    auto* fila = new QHBoxLayout;
    fila->addWidget(txtDestino, 1);
    fila->addWidget(cmdElegirCarpeta);
    c1->addLayout(fila);
    c1->addWidget(cmdSincronizar, 0, Qt::AlignRight);
    c1->addWidget(lblEstado);
    c1->addStretch();

    auto* conflicto = new QWidget(paginas);
    lblConflicto = forja::etiqueta(conflicto, QStringLiteral("lblConflicto"), QString(), true);
    txtMia = control<QPlainTextEdit>(conflicto, QStringLiteral("txtMia"), QStringLiteral("La mía"));
    txtOtra = control<QPlainTextEdit>(conflicto, QStringLiteral("txtOtra"), QStringLiteral("La otra"));
    txtEditada = control<QPlainTextEdit>(conflicto, QStringLiteral("txtEditada"), QStringLiteral("Texto editado"));
    txtMia->setReadOnly(true);
    txtOtra->setReadOnly(true);
    cmdMia = boton(conflicto, QStringLiteral("cmdMia"), QStringLiteral("&La mía"));
    cmdOtra = boton(conflicto, QStringLiteral("cmdOtra"), QStringLiteral("La &otra"));
    cmdEditada = boton(conflicto, QStringLiteral("cmdEditada"), QStringLiteral("El texto &editado"));
    auto* c2 = new QVBoxLayout(conflicto);
    c2->addWidget(lblConflicto);
    auto* lado = new QHBoxLayout;
    lado->addWidget(txtMia);
    lado->addWidget(txtOtra);
    c2->addLayout(lado, 2);
    c2->addWidget(forja::etiqueta(conflicto, QStringLiteral("lblEditada"),
                                  QStringLiteral("O escriba aquí el texto que debe quedar:")));
    c2->addWidget(txtEditada, 1);
    auto* elegir = new QHBoxLayout;
    elegir->addStretch();
    elegir->addWidget(cmdMia);
    elegir->addWidget(cmdOtra);
    elegir->addWidget(cmdEditada);
    c2->addLayout(elegir);

    paginas->addWidget(destino);
    paginas->addWidget(conflicto);
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("&Cerrar"));
    auto* columna = new QVBoxLayout(this);
    columna->addWidget(paginas, 1);
    columna->addWidget(cmdCerrar, 0, Qt::AlignRight);
    resize(720, 520);

    connect(cmdElegirCarpeta, &QPushButton::clicked, this, &VentanaSincronizar::cmdElegirCarpeta_Click);
    connect(cmdSincronizar, &QPushButton::clicked, this, &VentanaSincronizar::cmdSincronizar_Click);
    connect(cmdMia, &QPushButton::clicked, this, [this] { decidir(0); });
    connect(cmdOtra, &QPushButton::clicked, this, [this] { decidir(1); });
    connect(cmdEditada, &QPushButton::clicked, this, [this] { decidir(2); });
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);
}

VentanaSincronizar::~VentanaSincronizar() = default;

void VentanaSincronizar::cmdElegirCarpeta_Click() {
    const QString carpeta = Dialogos::abrirDirectorio(this, QStringLiteral("Carpeta de sincronización"));
    if (!carpeta.isEmpty()) {
        txtDestino->setText(carpeta);
    }
}

void VentanaSincronizar::cmdSincronizar_Click() {
    const QString destino = txtDestino->text().trimmed();
    if (destino.isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Escriba o elija dónde está la otra copia de la enciclotomo."));
        return;
    }
    if (sesion_.articuloConCambios()) {
        Dialogos::avisar(this, QStringLiteral("El artículo abierto tiene cambios sin guardar: guárdelos o descártelos "
                                              "antes de sincronizar."));
        return;
    }
    const std::string directorio = ui::haciaStore(sesion_.tomo()->directorio()).value_or(std::string());
    forja::esperarHistorial();
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        Dialogos::error(this, h.error());
        return;
    }
    historial_ = std::move(*h);
    const std::string autor = forja::autorDeLaVersion(this).toUtf8().toStdString();
    if (auto fuera = historial_->registrarTodo(autor, historial_->vacio() ? "Primera versión de la enciclotomo"
                                                                          : "Cambios hechos fuera de Forja");
        !fuera) {
        Dialogos::error(this, fuera.error());
        return;
    }
    const std::string otra = destino.toUtf8().toStdString();
    auto s = Sincronizacion::preparar(*historial_, otra);
    if (s && (*s)->caso() == Sincronizacion::Caso::SinRelacion) {
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("«%1» guarda una copia de la misma enciclotomo, hecha antes de que ninguna de las dos "
                           "tuviera versiones. ¿Desea unir las dos copias? Donde difieran, usted decide.")
                .arg(destino),
            {QStringLiteral("Unir las dos copias"), QStringLiteral("No sincronizar")}, 1, 1);
        if (respuesta != 0) {
            return;
        }
        s = Sincronizacion::preparar(*historial_, otra, true);
    }
    if (!s) {
        Dialogos::error(this, s.error());
        return;
    }
    sincronizacion_ = std::move(*s);
    decisiones_.assign(sincronizacion_->conflictos().size(), {});
    archivo_ = 0;
    pieza_ = 0;
    if (sincronizacion_->conflictos().empty()) {
        completar();
        return;
    }
    paginas->setCurrentIndex(1);
    mostrarConflicto();
}

void VentanaSincronizar::mostrarConflicto() {
    const auto& archivos = sincronizacion_->conflictos();
    const historial::ArchivoEnConflicto& archivo = archivos[archivo_];
    const auto indices = conflictosDe(archivo);
    const historial::Pieza& p = archivo.piezas[indices[pieza_]];
    lblConflicto->setText(
        QStringLiteral(
            "Las dos copias cambiaron «%1» en el mismo lugar (conflicto %2 de %3 de este archivo; archivo %4 "
            "de %5). ¿Qué texto debe quedar?")
            .arg(ui::desdeStore(archivo.nombre))
            .arg(pieza_ + 1)
            .arg(indices.size())
            .arg(archivo_ + 1)
            .arg(archivos.size()));
    txtMia->setPlainText(archivo.binario ? QStringLiteral("(la imagen o archivo de esta copia)") : texto(p.mia));
    txtOtra->setPlainText(archivo.binario ? QStringLiteral("(la imagen o archivo de la otra copia)") : texto(p.otra));
    txtEditada->setPlainText(archivo.binario ? QString() : texto(p.mia));
    txtEditada->setEnabled(!archivo.binario);
    cmdEditada->setEnabled(!archivo.binario);
}

void VentanaSincronizar::decidir(int eleccion) {
    if (!sincronizacion_ || archivo_ >= sincronizacion_->conflictos().size()) {
        return;
    }
    historial::Decision d;
    d.eleccion = eleccion == 0   ? historial::Eleccion::Mia
                 : eleccion == 1 ? historial::Eleccion::Otra
                                 : historial::Eleccion::Editada;
    if (eleccion == 2) {
        const auto lineas = forja::lineasAlmacen(this, txtEditada->toPlainText());
        if (!lineas) {
            return;
        }
        d.texto = store::unirLineas(*lineas);
    }
    decisiones_[archivo_].push_back(d);
    const auto indices = conflictosDe(sincronizacion_->conflictos()[archivo_]);
    if (++pieza_ >= indices.size()) {
        pieza_ = 0;
        ++archivo_;
    }
    if (archivo_ < sincronizacion_->conflictos().size()) {
        mostrarConflicto();
        return;
    }
    completar();
}

void VentanaSincronizar::completar() {
    const auto hecho = sincronizacion_->completar(decisiones_, forja::autorDeLaVersion(this).toUtf8().toStdString());
    paginas->setCurrentIndex(0);
    sincronizacion_.reset();
    if (!hecho) {
        Dialogos::error(this, hecho.error());
        return;
    }
    lblEstado->setText(QString::fromStdString(*hecho));
    sesion_.pedirRecargarTomo();
    emit sesion_.tomo()->versionRegistrada();
}
