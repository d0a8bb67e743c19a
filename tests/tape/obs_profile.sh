#!/bin/bash
# obs_profile.sh DIR PORT [PASSWORD]: a private OBS Studio 29 profile in DIR/.config/obs-studio
# (start OBS with HOME=DIR XDG_CONFIG_HOME=DIR/.config) that needs no first run: its WebSocket
# server on PORT (with PASSWORD, or none), a 160x120 canvas at 30 fps without preview, and a
# recording of its own encoder into DIR/rec, so that pausing the recording works.
set -euo pipefail
DIR=$1 PORT=$2 PASSWORD=${3:-}
CFG=$DIR/.config/obs-studio
PROFILE=$CFG/basic/profiles/Tape
mkdir -p "$PROFILE" "$CFG/basic/scenes" "$DIR/rec"
AUTH=false
[ -n "$PASSWORD" ] && AUTH=true

# FirstRun and LastVersion (29.0.2) keep the auto-configuration wizard away: while it is open OBS
# ignores every request to record. FirstLoad=false keeps the password as written.
cat >"$CFG/global.ini" <<INI
[General]
Pre19Defaults=false
Pre21Defaults=false
Pre23Defaults=false
Pre24.1Defaults=false
FirstRun=true
LastVersion=486539266
ConfirmOnExit=false
EnableAutoUpdates=false

[Basic]
Profile=Tape
ProfileDir=Tape
SceneCollection=Tape
SceneCollectionFile=Tape

[BasicWindow]
PreviewEnabled=false
WarnBeforeStartingRecord=false
WarnBeforeStoppingRecord=false
SysTrayEnabled=false
SysTrayWhenStarted=false

[OBSWebSocket]
FirstLoad=false
ServerEnabled=true
ServerPort=$PORT
AlertsEnabled=false
AuthRequired=$AUTH
ServerPassword=$PASSWORD
INI

# A recording that shares the stream's encoder (OBS's default, RecQuality=Stream) ignores pauses.
cat >"$PROFILE/basic.ini" <<INI
[General]
Name=Tape

[Video]
BaseCX=160
BaseCY=120
OutputCX=160
OutputCY=120
FPSType=1
FPSInt=30

[Output]
Mode=Simple

[SimpleOutput]
FilePath=$DIR/rec
RecFormat=mkv
RecQuality=Small
RecEncoder=x264_lowcpu
RecRB=false
INI

# A scene collection of one colour source: without a collection file OBS makes a default scene.
cat >"$CFG/basic/scenes/Tape.json" <<'JSON'
{"name":"Tape","current_scene":"Scene","current_program_scene":"Scene",
 "scene_order":[{"name":"Scene"}],
 "sources":[
  {"id":"scene","versioned_id":"scene","name":"Scene","enabled":true,"volume":1.0,
   "settings":{"custom_size":false,"id_counter":1,"items":[
     {"name":"Colour","source_uuid":"","visible":true,"locked":false,"id":1,
      "pos":{"x":0.0,"y":0.0},"scale":{"x":1.0,"y":1.0},"rot":0.0,"align":5,
      "bounds_type":0,"bounds_align":0,"bounds":{"x":0.0,"y":0.0},
      "crop_left":0,"crop_top":0,"crop_right":0,"crop_bottom":0}]}},
  {"id":"color_source","versioned_id":"color_source_v3","name":"Colour","enabled":true,
   "volume":1.0,"settings":{"color":4278255360,"width":160,"height":120}}],
 "groups":[],"transitions":[],"current_transition":"Fade","transition_duration":300,
 "quick_transitions":[],"saved_projectors":[],"modules":{}}
JSON
