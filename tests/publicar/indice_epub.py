#!/usr/bin/python3
"""Prints what an e-book's reader would start from, one item per line: the first entry of the zip with how it
is stored, the book's title and language from the package document, then the titles of the table of contents
in order.

Usage: indice_epub.py LIBRO.epub
"""
import posixpath
import sys
import xml.etree.ElementTree as ET
import zipfile

OPF = "{http://www.idpf.org/2007/opf}"
DC = "{http://purl.org/dc/elements/1.1/}"
XHTML = "{http://www.w3.org/1999/xhtml}"
EPUB = "{http://www.idpf.org/2007/ops}"

with zipfile.ZipFile(sys.argv[1]) as libro:
    primera = libro.infolist()[0]
    print(f"{primera.filename} {'guardado' if primera.compress_type == zipfile.ZIP_STORED else 'comprimido'} "
          f"{libro.read(primera).decode('ascii')}")
    contenedor = ET.fromstring(libro.read("META-INF/container.xml"))
    ruta_opf = next(contenedor.iter("{urn:oasis:names:tc:opendocument:xmlns:container}rootfile")).get("full-path")
    opf = ET.fromstring(libro.read(ruta_opf))
    print(opf.find(f"{OPF}metadata/{DC}title").text)
    print(opf.find(f"{OPF}metadata/{DC}language").text)
    nav = next(i for i in opf.iter(f"{OPF}item") if "nav" in (i.get("properties") or "").split())
    indice = ET.fromstring(libro.read(posixpath.join(posixpath.dirname(ruta_opf), nav.get("href"))))
    toc = next(n for n in indice.iter(f"{XHTML}nav") if n.get(f"{EPUB}type") == "toc")
    for a in toc.iter(f"{XHTML}a"):
        print("".join(a.itertext()))
