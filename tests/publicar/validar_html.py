#!/usr/bin/python3
"""Checks pages of an exported site or book: every page is parsed by an HTML5 parser (html5lib, every parse
error counts) and as XML (well-formed XHTML), and every local link and picture (href, src) resolves to a file
inside the given directory, with its #fragment when it has one.

Usage: validar_html.py DIRECTORIO [EXTENSIÓN...]   (default extensions: .html .xhtml)
Prints one line per problem and exits 1 when there is any.
"""
import os
import sys
import urllib.parse
import xml.etree.ElementTree as ET

import html5lib

LIMITE_HTML5 = 2 * 1024 * 1024


def errores_html5(ruta, texto):
    analizador = html5lib.HTMLParser(strict=False)
    # An XML declaration is for e-books; the HTML parser is given what follows it.
    cuerpo = texto.split("?>", 1)[1] if texto.startswith("<?xml") else texto
    analizador.parse(cuerpo)
    return [f"{ruta}:{p[0]}:{p[1]}: HTML5: {codigo} {datos}" for p, codigo, datos in analizador.errors]


def main():
    raiz = os.path.realpath(sys.argv[1])
    extensiones = tuple(sys.argv[2:]) or (".html", ".xhtml")
    problemas = []
    paginas = {}
    for carpeta, _, archivos in os.walk(raiz):
        for nombre in archivos:
            if nombre.endswith(extensiones):
                ruta = os.path.join(carpeta, nombre)
                with open(ruta, "rb") as f:
                    datos = f.read()
                try:
                    texto = datos.decode("utf-8")
                except UnicodeDecodeError as e:
                    problemas.append(f"{ruta}: no es UTF-8: {e}")
                    continue
                if len(datos) > LIMITE_HTML5:
                    # html5lib takes minutes over a page of megabytes; such a page is checked as XML only.
                    print(f"{ruta}: {len(datos)} bytes, comprobada solo como XML", file=sys.stderr)
                else:
                    problemas.extend(errores_html5(ruta, texto))
                try:
                    arbol = ET.fromstring(datos)
                except ET.ParseError as e:
                    problemas.append(f"{ruta}: XML: {e}")
                    continue
                paginas[os.path.realpath(ruta)] = arbol
    if not paginas:
        problemas.append(f"{raiz}: ninguna página")
    ids = {ruta: {e.get("id") for e in arbol.iter() if e.get("id")} for ruta, arbol in paginas.items()}
    enlaces = 0
    for ruta, arbol in paginas.items():
        for e in arbol.iter():
            for atributo in ("href", "src"):
                valor = e.get(atributo)
                if valor is None:
                    continue
                partes = urllib.parse.urlsplit(valor)
                if partes.scheme or partes.netloc:
                    continue
                enlaces += 1
                destino = ruta
                if partes.path:
                    destino = os.path.realpath(
                        os.path.join(os.path.dirname(ruta), urllib.parse.unquote(partes.path)))
                if not (destino + os.sep).startswith(raiz + os.sep):
                    problemas.append(f"{ruta}: {valor} sale del directorio")
                elif not os.path.isfile(destino):
                    problemas.append(f"{ruta}: {valor} no existe")
                elif partes.fragment and destino in ids and urllib.parse.unquote(partes.fragment) not in ids[destino]:
                    problemas.append(f"{ruta}: {valor}: no hay ningún id «{partes.fragment}»")
    for p in problemas:
        print(p)
    print(f"{len(paginas)} páginas, {enlaces} enlaces locales, {len(problemas)} problemas", file=sys.stderr)
    return 1 if problemas else 0


if __name__ == "__main__":
    sys.exit(main())
