/* Texts of gilder alone; those it shares with texturer are in resources/common/texture_text.h,
   those of every module in kx_text.h. */
#ifndef GILDER_TEXT_H
#define GILDER_TEXT_H

#define TX_ABOUT_en "Kestrix Gilder 1.0\n\nLay gold or silver leaf with the pen: its shade follows the picture and a leaf texture; the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Gilder 1.0\n\nLegen Sie mit dem Stift Blattgold oder Blattsilber auf: der Ton folgt dem Bild und einer Blatttextur; das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Gilder 1.0\n\nPosez au stylet de la feuille d'or ou d'argent : sa nuance suit l'image et une texture de feuille ; la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Gilder 1.0\n\nStendete con la penna foglia d'oro o d'argento: la sfumatura segue l'immagine e una trama della foglia; la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Gilder 1.0\n\nペンで金箔や銀箔を貼ります。色合いは画像と箔のテクスチャに従います。ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Gilder 1.0\n\nAplique folha de ouro ou de prata com a caneta: o tom segue a imagem e uma textura de folha; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Gilder 1.0\n\nAplique pan de oro o de plata con el lápiz: el tono sigue la imagen y una textura de lámina; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Gilder"
#define TX_ABOUTTITLE_de "Über Kestrix Gilder"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Gilder"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Gilder"
#define TX_ABOUTTITLE_ja "Kestrix Gilder について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Gilder"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Gilder"

#endif
