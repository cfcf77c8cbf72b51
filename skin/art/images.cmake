# Every image of the skin package: member path under the theme folder, the
# template it comes from, and the values that make this variant. State
# variants of one control share a template and differ only in colours.

# --- Window backdrops and frames ---
skin_image(main/bg_main.png bg_main)
skin_image(main/bar_bottom.png bar_bottom)
skin_image(main/frame_web.png frame W=48 H=48 R=10 FILL=0B1016 FILLA=0.62 RIM=F2C14E RIMA=0.42)
skin_image(main/frame_poster.png frame W=40 H=40 R=8 FILL=000000 FILLA=0 RIM=F2C14E RIMA=0.5)
skin_image(main/img_predownloadBG.png hint_box)
skin_image(public/bk_shadow.png shadow)
skin_image(msgbox/bg.png card W=504 H=320 EXTRA=none)
skin_image(optionsbox/bg.png card W=504 H=320 EXTRA=none)
skin_image(setup/bg.png card W=584 H=420 EXTRA=none)
skin_image(setting/bg.png card W=844 H=540 EXTRA=none)
skin_image(predlc/img_predownloadPatternBG.png card W=580 H=418 EXTRA=predownload_pattern)
skin_image(setting/footer.png footer)
skin_image(main/icon_title.png app_icon S=18)

# --- The main button ---
skin_image(main/btn_game_normal.png button W=300 H=88 R=14 TOP=4AA8FF BOTTOM=1F63D8 RIM=8FC8FF GLOSS=0.28)
skin_image(main/btn_game_hovered.png button W=300 H=88 R=14 TOP=66B8FF BOTTOM=2D76EC RIM=B5DBFF GLOSS=0.36)
skin_image(main/btn_game_pushed.png button W=300 H=88 R=14 TOP=2F86E8 BOTTOM=1A52B8 RIM=6FAEF0 GLOSS=0.12)
skin_image(main/btn_game_disabled.png button W=300 H=88 R=14 TOP=5E6672 BOTTOM=434A55 RIM=747D89 GLOSS=0.1)

# --- Dialog buttons (the fixed layouts name them in their own folders) ---
foreach(folder msgbox predlc public)
  skin_image(${folder}/img_btn_blue_156x52_normal.png button W=156 H=52 R=10 TOP=3E8EF8 BOTTOM=2262D8 RIM=7DB4FF GLOSS=0.25)
  skin_image(${folder}/img_btn_blue_156x52_hovered.png button W=156 H=52 R=10 TOP=5AA2FF BOTTOM=2F76EE RIM=A8CDFF GLOSS=0.32)
  skin_image(${folder}/img_btn_gray_156x52_normal.png button W=156 H=52 R=10 TOP=69727E BOTTOM=4D5560 RIM=8A939E GLOSS=0.18)
  skin_image(${folder}/img_btn_gray_156x52_hovered.png button W=156 H=52 R=10 TOP=7A838F BOTTOM=5A636E RIM=A0A8B2 GLOSS=0.24)
endforeach()
skin_image(public/btn_small_blue_normal.png button W=40 H=34 R=7 TOP=3E8EF8 BOTTOM=2262D8 RIM=7DB4FF GLOSS=0.22)
skin_image(public/btn_small_blue_hovered.png button W=40 H=34 R=7 TOP=5AA2FF BOTTOM=2F76EE RIM=A8CDFF GLOSS=0.3)
skin_image(public/btn_small_blue_disabled.png button W=40 H=34 R=7 TOP=AFC3E0 BOTTOM=9AB0D0 RIM=C4D3E8 GLOSS=0.1)

# --- Caption buttons (on the dark title band and on the light dialogs) ---
skin_image(public/btn_close_normal.png icon S=28 GW=28 GLYPH=close BG1=E5484D BG2=E5484D BGA=0 RING=FFFFFF RINGA=0 FG=9AA3AE)
skin_image(public/btn_close_hovered.png icon S=28 GW=28 GLYPH=close BG1=F0646A BG2=D93A40 BGA=1 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(public/btn_close_pushed.png icon S=28 GW=28 GLYPH=close BG1=C83A3F BG2=B02F34 BGA=1 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_min_normal.png icon S=28 GW=28 GLYPH=minimize BG1=FFFFFF BG2=FFFFFF BGA=0 RING=FFFFFF RINGA=0 FG=9AA3AE)
skin_image(main/btn_min_hovered.png icon S=28 GW=28 GLYPH=minimize BG1=FFFFFF BG2=FFFFFF BGA=0.14 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_min_pushed.png icon S=28 GW=28 GLYPH=minimize BG1=FFFFFF BG2=FFFFFF BGA=0.24 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_settings_normal.png icon S=28 GW=28 GLYPH=settings BG1=FFFFFF BG2=FFFFFF BGA=0 RING=FFFFFF RINGA=0 FG=9AA3AE)
skin_image(main/btn_settings_hovered.png icon S=28 GW=28 GLYPH=settings BG1=FFFFFF BG2=FFFFFF BGA=0.14 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_settings_pushed.png icon S=28 GW=28 GLYPH=settings BG1=FFFFFF BG2=FFFFFF BGA=0.24 RING=FFFFFF RINGA=0 FG=F2C14E)

# --- Download panel: pause and continue ---
skin_image(public/img_btn_Pause_normal.png icon S=36 GW=26 GLYPH=pause BG1=FFFFFF BG2=FFFFFF BGA=0.14 RING=FFFFFF RINGA=0.35 FG=FFFFFF)
skin_image(public/img_btn_Pause_hovered.png icon S=36 GW=26 GLYPH=pause BG1=FFFFFF BG2=FFFFFF BGA=0.28 RING=FFFFFF RINGA=0.6 FG=FFFFFF)
skin_image(public/img_btn_Pause_disabled.png icon S=36 GW=26 GLYPH=pause BG1=FFFFFF BG2=FFFFFF BGA=0.06 RING=FFFFFF RINGA=0.15 FG=7D8590)
skin_image(public/img_btn_Play_normal.png icon S=36 GW=26 GLYPH=play BG1=FFFFFF BG2=FFFFFF BGA=0.14 RING=FFFFFF RINGA=0.35 FG=FFFFFF)
skin_image(public/img_btn_Play_hovered.png icon S=36 GW=26 GLYPH=play BG1=FFFFFF BG2=FFFFFF BGA=0.28 RING=FFFFFF RINGA=0.6 FG=FFFFFF)
skin_image(public/img_btn_Play_disabled.png icon S=36 GW=26 GLYPH=play BG1=FFFFFF BG2=FFFFFF BGA=0.06 RING=FFFFFF RINGA=0.15 FG=7D8590)

# --- Pre-download panel buttons: download (gold), continue (green), pause (blue) ---
skin_image(public/img_predownload_normal.png icon S=44 GW=26 GLYPH=download BG1=F7CD64 BG2=D99A2B BGA=1 RING=FFE6A3 RINGA=0.8 FG=1A1D23)
skin_image(public/img_predownload_hover.png icon S=44 GW=26 GLYPH=download BG1=FFDC82 BG2=E8AB3C BGA=1 RING=FFF0C8 RINGA=1 FG=1A1D23)
skin_image(public/img_predownload_push.png icon S=44 GW=26 GLYPH=download BG1=DDB04A BG2=B97E1E BGA=1 RING=F2C14E RINGA=0.8 FG=1A1D23)
skin_image(public/img_predownload_disable.png icon S=44 GW=26 GLYPH=download BG1=6B7380 BG2=4E5561 BGA=1 RING=8A929D RINGA=0.6 FG=BAC0C7)
skin_image(public/img_btnStart_normal.png icon S=44 GW=26 GLYPH=play BG1=4BD68C BG2=23A35F BGA=1 RING=A6EFC7 RINGA=0.8 FG=FFFFFF)
skin_image(public/img_btnStart_hover.png icon S=44 GW=26 GLYPH=play BG1=66E2A0 BG2=2DB66D BGA=1 RING=C8F7DD RINGA=1 FG=FFFFFF)
skin_image(public/img_btnStart_push.png icon S=44 GW=26 GLYPH=play BG1=38B474 BG2=1C864E BGA=1 RING=7FDDA9 RINGA=0.8 FG=FFFFFF)
skin_image(public/img_btnStart_disable.png icon S=44 GW=26 GLYPH=play BG1=6B7380 BG2=4E5561 BGA=1 RING=8A929D RINGA=0.6 FG=BAC0C7)
skin_image(public/img_btnPause_normal.png icon S=44 GW=26 GLYPH=pause BG1=4AA8FF BG2=1F63D8 BGA=1 RING=9CCBFF RINGA=0.8 FG=FFFFFF)
skin_image(public/img_btnPause_hover.png icon S=44 GW=26 GLYPH=pause BG1=66B8FF BG2=2D76EC BGA=1 RING=C2E0FF RINGA=1 FG=FFFFFF)
skin_image(public/img_btnPause_push.png icon S=44 GW=26 GLYPH=pause BG1=2F86E8 BG2=1A52B8 BGA=1 RING=7FB6F2 RINGA=0.8 FG=FFFFFF)
skin_image(public/img_btnPause_disable.png icon S=44 GW=26 GLYPH=pause BG1=6B7380 BG2=4E5561 BGA=1 RING=8A929D RINGA=0.6 FG=BAC0C7)
skin_image(main/img_finish.png icon S=44 GW=28 GLYPH=check BG1=4BD68C BG2=23A35F BGA=1 RING=A6EFC7 RINGA=0.8 FG=FFFFFF)

# --- Install panel, carousel and hints ---
skin_image(main/img_btn_ChangeInstallPath_normal.png icon S=28 GW=38 GLYPH=folder BG1=FFFFFF BG2=FFFFFF BGA=0 RING=FFFFFF RINGA=0 FG=F2C14E)
skin_image(main/img_btn_ChangeInstallPath_hovered.png icon S=28 GW=38 GLYPH=folder BG1=FFFFFF BG2=FFFFFF BGA=0.16 RING=FFFFFF RINGA=0 FG=FFDC82)
skin_image(main/btn_scroll_left_normal.png icon S=24 GW=28 GLYPH=chevron_left BG1=FFFFFF BG2=FFFFFF BGA=0.1 RING=FFFFFF RINGA=0 FG=DDE2E8)
skin_image(main/btn_scroll_left_hovered.png icon S=24 GW=28 GLYPH=chevron_left BG1=FFFFFF BG2=FFFFFF BGA=0.24 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_scroll_left_disabled.png icon S=24 GW=28 GLYPH=chevron_left BG1=FFFFFF BG2=FFFFFF BGA=0.04 RING=FFFFFF RINGA=0 FG=5A626D)
skin_image(main/btn_scroll_right_normal.png icon S=24 GW=28 GLYPH=chevron_right BG1=FFFFFF BG2=FFFFFF BGA=0.1 RING=FFFFFF RINGA=0 FG=DDE2E8)
skin_image(main/btn_scroll_right_hovered.png icon S=24 GW=28 GLYPH=chevron_right BG1=FFFFFF BG2=FFFFFF BGA=0.24 RING=FFFFFF RINGA=0 FG=FFFFFF)
skin_image(main/btn_scroll_right_disabled.png icon S=24 GW=28 GLYPH=chevron_right BG1=FFFFFF BG2=FFFFFF BGA=0.04 RING=FFFFFF RINGA=0 FG=5A626D)
skin_image(main/dot_empty.png dot R=4.5 FILL=FFFFFF FILLA=0 RIM=C7CED8)
skin_image(main/dot_filled.png dot R=5 FILL=F2C14E FILLA=1 RIM=F2C14E)
skin_image(public/icon_question.png icon S=16 GW=34 GLYPH=question BG1=FFFFFF BG2=FFFFFF BGA=0 RING=8A939E RINGA=1 FG=666F7A)

# --- Community links (named by the channel configuration) ---
foreach(link home community video)
  skin_image(main/icon_link_${link}_normal.png icon S=48 GW=26 GLYPH=${link} BG1=FFFFFF BG2=FFFFFF BGA=0.08 RING=F2C14E RINGA=0.35 FG=DDE2E8)
  skin_image(main/icon_link_${link}_hot.png icon S=48 GW=26 GLYPH=${link} BG1=F7CD64 BG2=D99A2B BGA=1 RING=FFE6A3 RINGA=0.9 FG=1A1D23)
endforeach()
skin_image(main/icon_link_faq_normal.png icon S=48 GW=26 GLYPH=question BG1=FFFFFF BG2=FFFFFF BGA=0.08 RING=F2C14E RINGA=0.35 FG=DDE2E8)
skin_image(main/icon_link_faq_hot.png icon S=48 GW=26 GLYPH=question BG1=F7CD64 BG2=D99A2B BGA=1 RING=FFE6A3 RINGA=0.9 FG=1A1D23)

# --- Settings controls: check box, radio option, language selector, scroll bars ---
skin_image(public/check_normal.png check FILL=FFFFFF RIM=A2A9B2 TICKA=0)
skin_image(public/check_hovered.png check FILL=FFFFFF RIM=2F7BF5 TICKA=0)
skin_image(public/check_selected.png check FILL=2F7BF5 RIM=2F7BF5 TICKA=1)
skin_image(public/check_selected_hovered.png check FILL=4A90FF RIM=4A90FF TICKA=1)
skin_image(public/radio_normal.png radio RIM=A2A9B2 DOTA=0)
skin_image(public/radio_hovered.png radio RIM=2F7BF5 DOTA=0)
skin_image(public/radio_selected.png radio RIM=2F7BF5 DOTA=1)
skin_image(public/radio_selected_hovered.png radio RIM=4A90FF DOTA=1)
skin_image(public/combo_frame_normal.png combo RIM=C9CFD7 ARROW=666F7A)
skin_image(public/combo_frame_hovered.png combo RIM=2F7BF5 ARROW=2F7BF5)
skin_image(public/scroll_track.png scroll FILL=000000 FILLA=0.06)
skin_image(public/scroll_thumb_normal.png scroll FILL=A2A9B2 FILLA=1)
skin_image(public/scroll_thumb_hovered.png scroll FILL=818A95 FILLA=1)
skin_image(public/scroll_thumb_pushed.png scroll FILL=666F7A FILLA=1)
