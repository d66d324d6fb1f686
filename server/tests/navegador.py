#!/usr/bin/env python3
"""A real browser on the classroom server: tomo-servidor on the sample encyclopaedias, driven through headless
Chromium at a phone's width over the DevTools protocol (a pipe, no network port), the way a pupil would use it:
the title list, type-ahead, a filter, an article with its picture, a search as one types, a dictionary look-up
that leads to an article. Each step checks what the page shows.

Usage: navegador.py --servidor PATH/tomo-servidor --fuente SOURCE_DIR [--capturas DIR]
(--capturas leaves telefono-lista.png and telefono-articulo.png there, for the README.)
Exit status 0 when every step passed, 1 when one failed, 77 (skipped) when Chromium is not installed.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

CHROMIUM = "/usr/bin/chromium"
ANCHO, ALTO = 390, 844  # a phone's screen, in CSS pixels


class Navegador:
    """Chromium with --remote-debugging-pipe: JSON messages ended by NUL on its fds 3 (in) and 4 (out)."""

    def __init__(self, perfil):
        lee_chromium, escribe_nuestro = os.pipe()
        lee_nuestro, escribe_chromium = os.pipe()

        def preparar():
            # Copies first: a pipe may already sit on fd 3 or 4, and dup2 onto itself would keep it close-on-exec.
            a, b = os.dup(lee_chromium), os.dup(escribe_chromium)
            os.dup2(a, 3)
            os.dup2(b, 4)

        self.proceso = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-extensions", "--disable-dev-shm-usage", "--user-data-dir=" + perfil,
             "--remote-debugging-pipe", "--window-size=%d,%d" % (ANCHO, ALTO), "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=preparar, close_fds=False)
        for fd in (lee_chromium, escribe_chromium):
            os.close(fd)
        self.salida = os.fdopen(escribe_nuestro, "wb", buffering=0)
        self.entrada = os.fdopen(lee_nuestro, "rb", buffering=0)
        self.resto = b""
        self.siguiente = 0
        self.sesion = None
        objetivo = self.orden("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.sesion = self.orden("Target.attachToTarget", {"targetId": objetivo, "flatten": True})["sessionId"]
        self.orden("Page.enable")
        self.orden("Runtime.enable")
        self.orden("Emulation.setDeviceMetricsOverride",
                   {"width": ANCHO, "height": ALTO, "deviceScaleFactor": 2, "mobile": True})

    def _mensaje(self):
        while b"\0" not in self.resto:
            trozo = self.entrada.read(65536)
            if not trozo:
                raise RuntimeError("Chromium cerró la conexión")
            self.resto += trozo
        mensaje, self.resto = self.resto.split(b"\0", 1)
        return json.loads(mensaje)

    def orden(self, metodo, parametros=None, esperar_evento=None):
        self.siguiente += 1
        pedido = {"id": self.siguiente, "method": metodo, "params": parametros or {}}
        if self.sesion and not metodo.startswith("Target."):
            pedido["sessionId"] = self.sesion
        self.salida.write(json.dumps(pedido).encode() + b"\0")
        respuesta, evento = None, esperar_evento is None
        limite = time.time() + 30
        while respuesta is None or not evento:
            if time.time() > limite:
                raise RuntimeError("Chromium no contestó a " + metodo)
            m = self._mensaje()
            if m.get("id") == self.siguiente:
                if "error" in m:
                    raise RuntimeError("%s: %s" % (metodo, m["error"]))
                respuesta = m.get("result", {})
            elif esperar_evento and m.get("method") == esperar_evento:
                evento = True
        return respuesta

    def ir(self, url):
        self.orden("Page.navigate", {"url": url}, esperar_evento="Page.loadEventFired")

    def valor(self, expresion):
        r = self.orden("Runtime.evaluate", {"expression": expresion, "returnByValue": True, "awaitPromise": True})
        if "exceptionDetails" in r:
            raise RuntimeError("%s: %s" % (expresion, r["exceptionDetails"]))
        return r["result"].get("value")

    def esperar(self, expresion, segundos=10):
        limite = time.time() + segundos
        while time.time() < limite:
            if self.valor(expresion):
                return True
            time.sleep(0.1)
        return False

    def hacer_clic(self, selector, esperar_carga=True):
        evento = "Page.loadEventFired" if esperar_carga else None
        self.orden("Runtime.evaluate", {"expression": "document.querySelector(%s).click()" % json.dumps(selector)},
                   esperar_evento=evento)

    def escribir(self, selector, texto):
        self.valor("document.querySelector(%s).focus()" % json.dumps(selector))
        self.orden("Input.insertText", {"text": texto})

    def captura(self, archivo):
        import base64
        datos = self.orden("Page.captureScreenshot", {"format": "png"})["data"]
        with open(archivo, "wb") as f:
            f.write(base64.b64decode(datos))

    def cerrar(self):
        try:
            self.orden("Browser.close")
        except Exception:
            pass
        try:
            self.proceso.wait(10)
        except subprocess.TimeoutExpired:
            self.proceso.kill()
            self.proceso.wait()


def arrancar_servidor(servidor, unidades, cache):
    entorno = dict(os.environ, LUMBRE_UNIDADES=unidades, XDG_CACHE_HOME=cache)
    p = subprocess.Popen([servidor, "--direccion", "127.0.0.1", "--puerto", "0"], env=entorno,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    linea = p.stderr.readline().decode()
    m = re.search(r"http://127\.0\.0\.1:(\d+)/", linea)
    if not m:
        p.kill()
        raise RuntimeError("tomo-servidor no arrancó: " + linea)
    return p, int(m.group(1))


def main():
    argumentos = argparse.ArgumentParser()
    argumentos.add_argument("--servidor", required=True)
    argumentos.add_argument("--fuente", required=True)
    argumentos.add_argument("--capturas")
    a = argumentos.parse_args()
    if not os.access(CHROMIUM, os.X_OK):
        print("SKIP: no está %s (paquete chromium de Debian): no se prueba el servidor en un navegador." % CHROMIUM)
        return 77

    temporal = tempfile.mkdtemp(prefix="navegador-")
    unidades = os.path.join(temporal, "u")
    subprocess.run(["bash", os.path.join(a.fuente, "tools/instalar-muestras.sh"), unidades], check=True,
                   stdout=subprocess.DEVNULL)
    servidor, puerto = arrancar_servidor(a.servidor, unidades, os.path.join(temporal, "cache"))
    base = "http://127.0.0.1:%d" % puerto
    navegador = None
    pasos, fallos = 0, []

    def paso(nombre, bien):
        nonlocal pasos
        pasos += 1
        print(("PASS   " if bien else "FAIL!  ") + nombre)
        if not bien:
            fallos.append(nombre)

    try:
        navegador = Navegador(os.path.join(temporal, "perfil"))
        n = navegador

        n.ir(base + "/")
        paso("la portada lista las dos enciclotomos",
             n.valor("[...document.querySelectorAll('.enciclopedias .nombre')].map(e => e.textContent).join('|')")
             == "El Sistema Solar|Los ríos de España")
        n.hacer_clic(".enciclopedias a")
        paso("la lista de títulos muestra los trece artículos en su orden",
             n.valor("[...document.querySelectorAll('ol.titulos a')].map(e => e.textContent).slice(0, 3).join('|')")
             == "El Sistema Solar|El Sol|Mercurio"
             and n.valor("document.querySelectorAll('ol.titulos li').length") == 13
             and n.valor("document.querySelector('p.cantidad').textContent") == "13 artículos en la lista.")
        paso("la página cabe en el ancho de un teléfono, sin desplazarse a los lados",
             n.valor("document.documentElement.scrollWidth") <= ANCHO)
        if a.capturas:
            n.captura(os.path.join(a.capturas, "telefono-lista.png"))

        n.escribir("#ir", "jupi")
        paso("al teclear el principio de un título se sugiere sin acentos",
             n.esperar("[...document.querySelectorAll('#sugerencias a')].map(e => e.textContent).join('|')"
                       " == 'Júpiter'"))

        n.hacer_clic("input[value='PLANETAS INTERIORES']", esperar_carga=False)
        n.hacer_clic(".filtros button")
        paso("una lista con nombre filtra los títulos",
             n.valor("[...document.querySelectorAll('ol.titulos a')].map(e => e.textContent).join('|')")
             == "Mercurio|Venus|La Tierra|Marte"
             and n.valor("document.querySelector('p.cantidad').textContent")
             == "4 artículos en la lista. Filtros aplicados")

        n.hacer_clic("ol.titulos a[href$='MARTE.TXT']")
        with open(os.path.join(a.fuente, "samples/SOLAR/IMG/MARTE.txt"), "rb") as f:
            titulo_imagen = f.read().split(b"\r\n")[0].decode("cp1252")
        paso("el artículo muestra su título y su texto",
             n.valor("document.querySelector('h1').textContent") == "Marte"
             and "planeta rojo" in n.valor("document.querySelector('.cuerpo').textContent"))
        paso("la ilustración del artículo se carga y lleva su título",
             n.esperar("[...document.images].some(i => i.src.endsWith('/img/MARTE.JPG') && i.complete"
                       " && i.naturalWidth > 0)")
             and titulo_imagen in n.valor("document.querySelector('figure figcaption').textContent"))
        paso("el artículo cabe en el ancho de un teléfono", n.valor("document.documentElement.scrollWidth") <= ANCHO)
        if a.capturas:
            n.captura(os.path.join(a.capturas, "telefono-articulo.png"))

        n.ir(base + "/e/solar/buscar")
        n.escribir("#q", "planeta rojo")
        paso("la búsqueda al teclear muestra el artículo con las palabras en negrita",
             n.esperar("[...document.querySelectorAll('ol.resultados li')].some(li =>"
                       " li.querySelector('a').textContent == 'Marte' && li.querySelector('b'))"))
        n.ir(base + "/e/solar/buscar?q=planeta+rojo")
        paso("la búsqueda sin guion da lo mismo",
             n.valor("document.querySelector('ol.resultados a') !== null && [...document.querySelectorAll("
                     "'ol.resultados a')].some(a => a.textContent == 'Marte')")
             and n.valor("document.querySelector('p.cantidad').textContent").endswith("encontrados."))

        n.ir(base + "/e/solar/")
        n.escribir("#p", "cometa")
        n.hacer_clic("form.diccionario button")
        paso("el diccionario muestra la palabra buscada",
             n.valor("document.querySelector('dl dt').textContent") == "COMETA")
        n.hacer_clic("dl dd a")
        paso("la remisión del diccionario lleva al artículo",
             n.valor("document.querySelector('h1').textContent") == "Los cometas")
    except Exception as e:  # a broken step is a failure, never a crash
        paso("el navegador terminó los pasos (%s)" % e, False)
    finally:
        if navegador:
            navegador.cerrar()
        servidor.terminate()
        servidor.wait(10)
        shutil.rmtree(temporal, ignore_errors=True)

    print("%d passed, %d failed" % (pasos - len(fallos), len(fallos)))
    return 1 if fallos else 0


if __name__ == "__main__":
    sys.exit(main())
