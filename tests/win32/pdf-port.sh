#!/bin/sh
# pdf-port.sh STEM
#
# The port of the PDF test printer (src/ui/win32/printing_test.cpp): Wine's
# PostScript driver writes a print job to this script's standard input. It
# becomes STEM.pdf, its text STEM.txt (pdftotext -layout) and its first page
# STEM-1.png (pdftoppm, 100 dpi). Wine waits for the script before EndDoc
# returns, so the files are complete then.
set -e
stem=$1
ps2pdf - "$stem.pdf"
pdftotext -layout "$stem.pdf" "$stem.txt"
pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$stem.pdf" "$stem-1"
