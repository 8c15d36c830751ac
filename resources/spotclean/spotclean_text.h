/* Texts of spotclean alone; the shared ones are in resources/common/kx_text.h.
   10001..10013 are the section and key names of the settings file, loaded from the string
   table, so a German installation writes German keys. 10001 is the product name and stays
   as it is; "Parameters"/"NoTilt" (10014/10015) name the tablet driver's own keys and are
   never translated. Keys stay under 40 characters. */
#ifndef SPOTCLEAN_TEXT_H
#define SPOTCLEAN_TEXT_H

#define TX_AMOUNTBOX_en "Amount:"
#define TX_AMOUNTBOX_de "Stärke:"
#define TX_AMOUNTBOX_fr "Intensité :"
#define TX_AMOUNTBOX_it "Intensità:"
#define TX_AMOUNTBOX_ja "強さ:"
#define TX_AMOUNTBOX_pt "Intensidade:"
#define TX_AMOUNTBOX_es "Intensidad:"

#define TX_KWINDOW_en "Window"
#define TX_KWINDOW_de "Fenster"
#define TX_KWINDOW_fr "Fenêtre"
#define TX_KWINDOW_it "Finestra"
#define TX_KWINDOW_ja "ウィンドウ"
#define TX_KWINDOW_pt "Janela"
#define TX_KWINDOW_es "Ventana"

#define TX_KMAXIMIZED_en "Maximized"
#define TX_KMAXIMIZED_de "Maximiert"
#define TX_KMAXIMIZED_fr "Agrandie"
#define TX_KMAXIMIZED_it "Ingrandita"
#define TX_KMAXIMIZED_ja "最大化"
#define TX_KMAXIMIZED_pt "Maximizada"
#define TX_KMAXIMIZED_es "Maximizada"

#define TX_KTOOL_en "Current Tool"
#define TX_KTOOL_de "Aktuelles Werkzeug"
#define TX_KTOOL_fr "Outil actuel"
#define TX_KTOOL_it "Strumento attuale"
#define TX_KTOOL_ja "現在のツール"
#define TX_KTOOL_pt "Ferramenta atual"
#define TX_KTOOL_es "Herramienta actual"

#define TX_KPSIZE_en "Pressure Size"
#define TX_KPSIZE_de "Größe nach Druck"
#define TX_KPSIZE_fr "Taille selon pression"
#define TX_KPSIZE_it "Dimensione da pressione"
#define TX_KPSIZE_ja "サイズの筆圧"
#define TX_KPSIZE_pt "Tamanho por pressão"
#define TX_KPSIZE_es "Tamaño por presión"

#define TX_KPAMOUNT_en "Pressure Amount"
#define TX_KPAMOUNT_de "Stärke nach Druck"
#define TX_KPAMOUNT_fr "Intensité selon pression"
#define TX_KPAMOUNT_it "Intensità da pressione"
#define TX_KPAMOUNT_ja "強さの筆圧"
#define TX_KPAMOUNT_pt "Intensidade por pressão"
#define TX_KPAMOUNT_es "Intensidad por presión"

#define TX_KBRUSHSIZE_en "Brush Size"
#define TX_KBRUSHSIZE_de "Pinselgröße"
#define TX_KBRUSHSIZE_fr "Taille du pinceau"
#define TX_KBRUSHSIZE_it "Dimensione pennello"
#define TX_KBRUSHSIZE_ja "ブラシサイズ"
#define TX_KBRUSHSIZE_pt "Tamanho do pincel"
#define TX_KBRUSHSIZE_es "Tamaño del pincel"

#define TX_KAMOUNT_en "Amount"
#define TX_KAMOUNT_de "Stärke"
#define TX_KAMOUNT_fr "Intensité"
#define TX_KAMOUNT_it "Intensità"
#define TX_KAMOUNT_ja "強さ"
#define TX_KAMOUNT_pt "Intensidade"
#define TX_KAMOUNT_es "Intensidad"

#define TX_ABOUT_en "Kestrix Spotclean 1.0\n\nPaint specks, dust and scratches away with the pen: a median filter under the brush, the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Spotclean 1.0\n\nMalen Sie Flecken, Staub und Kratzer mit dem Stift weg: ein Medianfilter unter dem Pinsel, das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Spotclean 1.0\n\nEffacez taches, poussières et rayures au stylet : un filtre médian sous le pinceau, la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Spotclean 1.0\n\nCancellate macchie, polvere e graffi con la penna: un filtro mediano sotto il pennello, la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Spotclean 1.0\n\nペンでしみ、ほこり、傷を消します。ブラシの下にメディアンフィルタをかけ、ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Spotclean 1.0\n\nApague manchas, poeira e riscos com a caneta: um filtro de mediana sob o pincel; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Spotclean 1.0\n\nElimine manchas, polvo y arañazos con el lápiz: un filtro de mediana bajo el pincel; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Spotclean"
#define TX_ABOUTTITLE_de "Über Kestrix Spotclean"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Spotclean"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Spotclean"
#define TX_ABOUTTITLE_ja "Kestrix Spotclean について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Spotclean"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Spotclean"

#endif
