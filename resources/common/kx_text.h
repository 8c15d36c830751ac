/* Texts shared by every module's dialog and string table, in the seven languages the
   modules ship: en (English US), de, fr, it, ja, pt (Brazil), es.

   A module's language block sets KX_LANG to one of those suffixes and includes its UI
   template, which writes TX(BRUSH) for TX_BRUSH_<lang>. The .rc files are UTF-8 (read
   with #pragma code_page(65001)); the Western texts stay inside Windows-1252 so the ANSI
   calls (LoadStringA, SetDlgItemTextA, the INI keys) keep every character there.

   Button texts are kept short: the push buttons are 34 dialog units wide, the radio
   buttons 33..54. */
#ifndef KX_TEXT_H
#define KX_TEXT_H

#define TX_CAT2(k, l) TX_##k##_##l
#define TX_CAT(k, l) TX_CAT2(k, l)
#define TX(k) TX_CAT(k, KX_LANG)

/* Tool buttons (icon buttons: the text is their accessible name). */
#define TX_BRUSH_en "Brush"
#define TX_BRUSH_de "Pinsel"
#define TX_BRUSH_fr "Pinceau"
#define TX_BRUSH_it "Pennello"
#define TX_BRUSH_ja "ブラシ"
#define TX_BRUSH_pt "Pincel"
#define TX_BRUSH_es "Pincel"

#define TX_HAND_en "Hand"
#define TX_HAND_de "Hand"
#define TX_HAND_fr "Main"
#define TX_HAND_it "Mano"
#define TX_HAND_ja "手のひら"
#define TX_HAND_pt "Mão"
#define TX_HAND_es "Mano"

#define TX_ZOOM_en "Zoom"
#define TX_ZOOM_de "Zoom"
#define TX_ZOOM_fr "Loupe"
#define TX_ZOOM_it "Zoom"
#define TX_ZOOM_ja "ズーム"
#define TX_ZOOM_pt "Zoom"
#define TX_ZOOM_es "Zoom"

/* Group boxes and parameter sources. */
#define TX_TOOLCTRL_en "Tool Control"
#define TX_TOOLCTRL_de "Werkzeugsteuerung"
#define TX_TOOLCTRL_fr "Contrôle de l'outil"
#define TX_TOOLCTRL_it "Controllo strumento"
#define TX_TOOLCTRL_ja "ツール設定"
#define TX_TOOLCTRL_pt "Controle da ferramenta"
#define TX_TOOLCTRL_es "Control de herramienta"

#define TX_SIZE_en "Size:"
#define TX_SIZE_de "Größe:"
#define TX_SIZE_fr "Taille :"
#define TX_SIZE_it "Dimensione:"
#define TX_SIZE_ja "サイズ:"
#define TX_SIZE_pt "Tamanho:"
#define TX_SIZE_es "Tamaño:"

#define TX_WHEEL_en "Fingerwheel"
#define TX_WHEEL_de "Fingerrad"
#define TX_WHEEL_fr "Molette"
#define TX_WHEEL_it "Rotella"
#define TX_WHEEL_ja "ホイール"
#define TX_WHEEL_pt "Roda"
#define TX_WHEEL_es "Rueda"

#define TX_PRESSURE_en "Pressure"
#define TX_PRESSURE_de "Druck"
#define TX_PRESSURE_fr "Pression"
#define TX_PRESSURE_it "Pressione"
#define TX_PRESSURE_ja "筆圧"
#define TX_PRESSURE_pt "Pressão"
#define TX_PRESSURE_es "Presión"

#define TX_FIXED_en "Fixed"
#define TX_FIXED_de "Fest"
#define TX_FIXED_fr "Fixe"
#define TX_FIXED_it "Fisso"
#define TX_FIXED_ja "固定"
#define TX_FIXED_pt "Fixo"
#define TX_FIXED_es "Fijo"

/* Check box, and INI key 10013 where the module has it. */
#define TX_BUILDUP_en "Buildup"
#define TX_BUILDUP_de "Aufbau"
#define TX_BUILDUP_fr "Cumul"
#define TX_BUILDUP_it "Accumulo"
#define TX_BUILDUP_ja "重ね塗り"
#define TX_BUILDUP_pt "Acumular"
#define TX_BUILDUP_es "Acumular"

/* Push buttons. */
#define TX_REVERT_en "Revert"
#define TX_REVERT_de "Zurück"
#define TX_REVERT_fr "Rétablir"
#define TX_REVERT_it "Ripristina"
#define TX_REVERT_ja "元に戻す"
#define TX_REVERT_pt "Reverter"
#define TX_REVERT_es "Revertir"

#define TX_APPLY_en "Apply"
#define TX_APPLY_de "Anwenden"
#define TX_APPLY_fr "Appliquer"
#define TX_APPLY_it "Applica"
#define TX_APPLY_ja "適用"
#define TX_APPLY_pt "Aplicar"
#define TX_APPLY_es "Aplicar"

#define TX_CANCEL_en "Cancel"
#define TX_CANCEL_de "Abbrechen"
#define TX_CANCEL_fr "Annuler"
#define TX_CANCEL_it "Annulla"
#define TX_CANCEL_ja "キャンセル"
#define TX_CANCEL_pt "Cancelar"
#define TX_CANCEL_es "Cancelar"

#define TX_DONE_en "Done"
#define TX_DONE_de "Fertig"
#define TX_DONE_fr "Terminé"
#define TX_DONE_it "Fine"
#define TX_DONE_ja "完了"
#define TX_DONE_pt "Concluir"
#define TX_DONE_es "Listo"

/* 10006: the Cancel button's label while Alt is held (same 34-unit button). */
#define TX_RESET_en "Reset"
#define TX_RESET_de "Standard"
#define TX_RESET_fr "Réinit."
#define TX_RESET_it "Reimposta"
#define TX_RESET_ja "リセット"
#define TX_RESET_pt "Redefinir"
#define TX_RESET_es "Restaurar"

/* 10000: number validation, formatted with the minimum and the maximum. */
#define TX_RANGE_en "Please enter an integer between %d and %d."
#define TX_RANGE_de "Bitte geben Sie eine ganze Zahl zwischen %d und %d ein."
#define TX_RANGE_fr "Veuillez saisir un nombre entier compris entre %d et %d."
#define TX_RANGE_it "Immettere un numero intero compreso tra %d e %d."
#define TX_RANGE_ja "%d から %d までの整数を入力してください。"
#define TX_RANGE_pt "Digite um número inteiro entre %d e %d."
#define TX_RANGE_es "Introduzca un número entero entre %d y %d."

/* 10004: closing with the title bar's close box after painting. */
#define TX_SAVE_en "Do you wish to save your changes?"
#define TX_SAVE_de "Möchten Sie die Änderungen speichern?"
#define TX_SAVE_fr "Voulez-vous enregistrer les modifications ?"
#define TX_SAVE_it "Salvare le modifiche?"
#define TX_SAVE_ja "変更を保存しますか？"
#define TX_SAVE_pt "Deseja salvar as alterações?"
#define TX_SAVE_es "¿Desea guardar los cambios?"

/* 10005: Cancel and Revert after painting. */
#define TX_DISCARD_en "Are you sure you wish to discard changes?"
#define TX_DISCARD_de "Möchten Sie die Änderungen wirklich verwerfen?"
#define TX_DISCARD_fr "Voulez-vous vraiment abandonner les modifications ?"
#define TX_DISCARD_it "Annullare davvero le modifiche?"
#define TX_DISCARD_ja "変更を破棄してもよろしいですか？"
#define TX_DISCARD_pt "Tem certeza de que deseja descartar as alterações?"
#define TX_DISCARD_es "¿Seguro que desea descartar los cambios?"

/* 17007: the undo buffer could not be allocated. */
#define TX_NOUNDO_en "There is not enough memory for the Undo buffer. Undo will not be available.  To use Undo, select a smaller portion of the image and restart the filter."
#define TX_NOUNDO_de "Für den Rückgängig-Puffer ist nicht genügend Speicher vorhanden. Rückgängig ist nicht verfügbar.  Um Rückgängig zu verwenden, wählen Sie einen kleineren Bildausschnitt und starten Sie den Filter erneut."
#define TX_NOUNDO_fr "Mémoire insuffisante pour le tampon d'annulation. L'annulation ne sera pas disponible.  Pour l'utiliser, sélectionnez une plus petite partie de l'image et relancez le filtre."
#define TX_NOUNDO_it "Memoria insufficiente per il buffer di annullamento. L'annullamento non sarà disponibile.  Per usarlo, selezionare una parte più piccola dell'immagine e riavviare il filtro."
#define TX_NOUNDO_ja "元に戻すためのバッファに十分なメモリがありません。元に戻す機能は使用できません。使用するには、画像のより小さな範囲を選択してフィルタを再起動してください。"
#define TX_NOUNDO_pt "Não há memória suficiente para o buffer de desfazer. Desfazer não estará disponível.  Para usar Desfazer, selecione uma parte menor da imagem e reinicie o filtro."
#define TX_NOUNDO_es "No hay memoria suficiente para el búfer de deshacer. Deshacer no estará disponible.  Para usar Deshacer, seleccione una parte más pequeña de la imagen y vuelva a iniciar el filtro."

/* 17010: no Wintab driver answered. */
#define TX_NOTABLET_en "No pen tablet is available. Kestrix filters are painted with a pen tablet; install or connect its driver and start the filter again."
#define TX_NOTABLET_de "Es ist kein Grafiktablett verfügbar. Kestrix-Filter werden mit einem Grafiktablett gemalt; installieren oder verbinden Sie dessen Treiber und starten Sie den Filter erneut."
#define TX_NOTABLET_fr "Aucune tablette graphique n'est disponible. Les filtres Kestrix se peignent avec une tablette graphique ; installez ou connectez son pilote, puis relancez le filtre."
#define TX_NOTABLET_it "Nessuna tavoletta grafica disponibile. I filtri Kestrix si dipingono con una tavoletta grafica; installare o collegare il relativo driver e riavviare il filtro."
#define TX_NOTABLET_ja "ペンタブレットが見つかりません。Kestrix フィルタはペンタブレットで描画します。ドライバをインストールまたは接続してから、フィルタをもう一度起動してください。"
#define TX_NOTABLET_pt "Nenhuma mesa digitalizadora está disponível. Os filtros Kestrix são pintados com uma mesa digitalizadora; instale ou conecte o driver dela e inicie o filtro novamente."
#define TX_NOTABLET_es "No hay ninguna tableta gráfica disponible. Los filtros Kestrix se pintan con una tableta gráfica; instale o conecte su controlador y vuelva a iniciar el filtro."

/* 17011: Apply could not allocate its copy of the image; nothing was lost. */
#define TX_NOAPPLY_en "There is not enough memory to apply the changes. Nothing was lost: your painting is still there, and Done keeps it.  To use Apply, select a smaller portion of the image and restart the filter."
#define TX_NOAPPLY_de "Zum Anwenden der Änderungen ist nicht genügend Speicher vorhanden. Es ging nichts verloren: Ihre Bearbeitung ist noch da, und Fertig übernimmt sie.  Um Anwenden zu verwenden, wählen Sie einen kleineren Bildausschnitt und starten Sie den Filter erneut."
#define TX_NOAPPLY_fr "Mémoire insuffisante pour appliquer les modifications. Rien n'est perdu : votre travail est toujours là, et Terminé le conserve.  Pour utiliser Appliquer, sélectionnez une plus petite partie de l'image et relancez le filtre."
#define TX_NOAPPLY_it "Memoria insufficiente per applicare le modifiche. Non è andato perso nulla: il lavoro è ancora presente e Fine lo conserva.  Per usare Applica, selezionare una parte più piccola dell'immagine e riavviare il filtro."
#define TX_NOAPPLY_ja "変更を適用するためのメモリが足りません。何も失われていません。描画はそのまま残っており、完了で保持されます。適用を使用するには、画像のより小さな範囲を選択してフィルタを再起動してください。"
#define TX_NOAPPLY_pt "Não há memória suficiente para aplicar as alterações. Nada foi perdido: sua pintura continua lá, e Concluir a mantém.  Para usar Aplicar, selecione uma parte menor da imagem e reinicie o filtro."
#define TX_NOAPPLY_es "No hay memoria suficiente para aplicar los cambios. No se ha perdido nada: su trabajo sigue ahí, y Listo lo conserva.  Para usar Aplicar, seleccione una parte más pequeña de la imagen y vuelva a iniciar el filtro."

/* Names of the settings keys most modules share, and the Amount label of the modules that
   have one. They are loaded from the string table, so a translated installation writes
   translated keys; keys stay under 40 characters. */
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

#endif
