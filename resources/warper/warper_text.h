/* Texts of warper alone; the shared ones are in resources/common/kx_text.h, the settings
   key names shared with spotclean (Window, Maximized, Current Tool, Pressure Size, Brush
   Size) in resources/spotclean/spotclean_text.h. 10001 is the product name and stays as
   it is; keys stay under 40 characters. */
#ifndef WARPER_TEXT_H
#define WARPER_TEXT_H

#define WARPER_STR_NO_QUEUE 17012  /* the tablet grants no packet queue */

#define TX_DISTORTBOX_en "Distort:"
#define TX_DISTORTBOX_de "Verzerren:"
#define TX_DISTORTBOX_fr "Déformer :"
#define TX_DISTORTBOX_it "Distorsione:"
#define TX_DISTORTBOX_ja "ゆがみ:"
#define TX_DISTORTBOX_pt "Distorcer:"
#define TX_DISTORTBOX_es "Distorsionar:"

#define TX_KPDISTORT_en "Pressure Distort"
#define TX_KPDISTORT_de "Verzerrung nach Druck"
#define TX_KPDISTORT_fr "Déformation selon pression"
#define TX_KPDISTORT_it "Distorsione da pressione"
#define TX_KPDISTORT_ja "ゆがみの筆圧"
#define TX_KPDISTORT_pt "Distorção por pressão"
#define TX_KPDISTORT_es "Distorsión por presión"

#define TX_KDISTORTION_en "Distortion"
#define TX_KDISTORTION_de "Verzerrung"
#define TX_KDISTORTION_fr "Déformation"
#define TX_KDISTORTION_it "Distorsione"
#define TX_KDISTORTION_ja "ゆがみ"
#define TX_KDISTORTION_pt "Distorção"
#define TX_KDISTORTION_es "Distorsión"

#define TX_NOQUEUE_en "Unable to set tablet queue size."
#define TX_NOQUEUE_de "Die Größe der Tablett-Warteschlange kann nicht festgelegt werden."
#define TX_NOQUEUE_fr "Impossible de définir la taille de la file d'attente de la tablette."
#define TX_NOQUEUE_it "Impossibile impostare la dimensione della coda della tavoletta."
#define TX_NOQUEUE_ja "タブレットのキューサイズを設定できません。"
#define TX_NOQUEUE_pt "Não é possível definir o tamanho da fila da mesa digitalizadora."
#define TX_NOQUEUE_es "No se puede establecer el tamaño de la cola de la tableta."

#define TX_WABOUT_en "Kestrix Warper 1.0\n\nPush the picture along the pen like putty: each dab moves the middle of the brush in the stroke's direction, the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_WABOUT_de "Kestrix Warper 1.0\n\nSchieben Sie das Bild mit dem Stift wie Knetmasse: jeder Tupfer verschiebt die Pinselmitte in Strichrichtung, das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_WABOUT_fr "Kestrix Warper 1.0\n\nPoussez l'image au stylet comme de la pâte : chaque touche déplace le centre du pinceau dans le sens du trait, la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_WABOUT_it "Kestrix Warper 1.0\n\nSpingete l'immagine con la penna come stucco: ogni tocco sposta il centro del pennello nella direzione del tratto, la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_WABOUT_ja "Kestrix Warper 1.0\n\nペンで画像をパテのように押し動かします。ブラシの中心がストロークの方向へ動き、ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_WABOUT_pt "Kestrix Warper 1.0\n\nEmpurre a imagem com a caneta como massa: cada toque move o centro do pincel na direção do traço; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_WABOUT_es "Kestrix Warper 1.0\n\nEmpuje la imagen con el lápiz como masilla: cada toque mueve el centro del pincel en la dirección del trazo; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_WABOUTTITLE_en "About Kestrix Warper"
#define TX_WABOUTTITLE_de "Über Kestrix Warper"
#define TX_WABOUTTITLE_fr "À propos de Kestrix Warper"
#define TX_WABOUTTITLE_it "Informazioni su Kestrix Warper"
#define TX_WABOUTTITLE_ja "Kestrix Warper について"
#define TX_WABOUTTITLE_pt "Sobre o Kestrix Warper"
#define TX_WABOUTTITLE_es "Acerca de Kestrix Warper"

#endif
