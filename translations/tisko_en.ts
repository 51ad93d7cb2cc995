<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="es_ES">
<context>
    <name>DetectionModel</name>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="14"/>
        <source>Muy tolerante</source>
        <translation>Very relaxed</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="15"/>
        <source>Tolerante</source>
        <translation>Relaxed</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="16"/>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="17"/>
        <source>Estricta</source>
        <translation>Strict</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="18"/>
        <source>Muy estricta</source>
        <translation>Very strict</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="40"/>
        <source>1 segundo</source>
        <translation>1 second</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="44"/>
        <source>%Ln segundos</source>
        <translation>
            <numerusform>%Ln second</numerusform>
            <numerusform>%Ln seconds</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="45"/>
        <source>%1 segundos</source>
        <translation>%1 seconds</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="50"/>
        <source>1 minuto</source>
        <translation>1 minute</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="52"/>
        <source>%Ln minutos</source>
        <translation>
            <numerusform>%Ln minute</numerusform>
            <numerusform>%Ln minutes</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionModel.cpp" line="53"/>
        <source>%1 minutos</source>
        <translation>%1 minutes</translation>
    </message>
</context>
<context>
    <name>GeneralModel</name>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="22"/>
        <source>1 aviso</source>
        <translation>1 warning</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="22"/>
        <source>%n avisos</source>
        <translation>
            <numerusform>%n warning</numerusform>
            <numerusform>%n warnings</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="24"/>
        <source>1 comprobación</source>
        <translation>1 check</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="25"/>
        <source>%n comprobaciones</source>
        <translation>
            <numerusform>%n check</numerusform>
            <numerusform>%n checks</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="31"/>
        <source>Este escritorio no tiene bandeja del sistema: Tisko sigue mirando y, abierto desde el menú de aplicaciones, se muestra en una ventana. El icono aparece en cuanto haya una bandeja.</source>
        <translation>This desktop has no system tray. Tisko keeps watching, and when you open it from the applications menu it shows up in a window. The icon appears as soon as there is a tray.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="34"/>
        <source>Tisko vive en la bandeja del sistema y mira cada pocos minutos, aunque no la abras.</source>
        <translation>Tisko lives in the system tray and looks every few minutes, even if you never open it.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="36"/>
        <source>Sin icono, Tisko sigue mirando. Para volver aquí, abre Tisko otra vez desde el menú de aplicaciones: se muestra en una ventana.</source>
        <translation>Without the icon, Tisko keeps watching. To come back here, open Tisko again from the applications menu: it shows up in a window.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="46"/>
        <source>Solo números: cuántas veces ha mirado y cuántas te ha avisado cada día. Ninguna imagen sale del momento en que se mira. También queda en %1.</source>
        <translation>Just numbers: how many times Tisko looked and how many times it warned you each day. No image outlives the moment of the check. They are also kept in %1.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="52"/>
        <source>Tisko busca versiones nuevas sola cada pocas horas y te avisa.</source>
        <translation>Tisko checks for new versions on its own every few hours and lets you know.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="53"/>
        <source>Esta copia de Tisko no busca actualizaciones; las recibe con el sistema.</source>
        <translation>This copy of Tisko doesn’t check for updates; it gets them along with the rest of the system.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="57"/>
        <source>Versión %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="61"/>
        <source>Tisko recuento.csv</source>
        <translation>Tisko counts.csv</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="67"/>
        <source>«%1» es un enlace simbólico; elige otro nombre</source>
        <translation>“%1” is a symbolic link; choose another name</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralModel.cpp" line="73"/>
        <source>otros usuarios pueden escribir en la carpeta «%1»; elige otra</source>
        <translation>other users can write to the folder “%1”; choose another one</translation>
    </message>
</context>
<context>
    <name>HistoryModel</name>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="84"/>
        <source>Todavía no hay una semana de datos.</source>
        <translation>There isn’t a week of data yet.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="85"/>
        <source>Esta semana, el %1 % de las comprobaciones te vieron mal (la anterior, el %2 %).</source>
        <translation>This week, %1% of checks found you in a bad posture (the week before, %2%).</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="93"/>
        <source>1 comprobación</source>
        <translation>1 check</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="93"/>
        <source>%1 comprobaciones</source>
        <translation>%1 checks</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="94"/>
        <source>1 aviso</source>
        <translation>1 warning</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="94"/>
        <source>%1 avisos</source>
        <translation>%1 warnings</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="97"/>
        <source>%1: %2 (%3 mal), %4 demasiado cerca, %5 hundido, %6</source>
        <translation>%1: %2 (%3 bad), %4 too close, %5 slouching, %6</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryModel.cpp" line="99"/>
        <source>ddd d MMM</source>
        <translation>ddd, MMM d</translation>
    </message>
</context>
<context>
    <name>LaunchSwitches</name>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="27"/>
        <source>una mirada ahora (la hace el Tisko en marcha, si lo hay)</source>
        <translation>one look now (made by the running Tisko, if there is one)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="29"/>
        <source>MINUTOS|tomorrow</source>
        <translation>MINUTES|tomorrow</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="30"/>
        <source>pausa Tisko esos minutos (de 1 a 1440) o hasta mañana (también el Tisko en marcha)</source>
        <translation>pauses Tisko for that many minutes (1 to 1440) or until tomorrow (the running Tisko too)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="34"/>
        <source>vuelve a vigilar (también el Tisko en marcha)</source>
        <translation>watches again (the running Tisko too)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="35"/>
        <source>[PESTAÑA]</source>
        <translation>[TAB]</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="36"/>
        <source>abre los ajustes en esa pestaña: general, detection, positions o permissions</source>
        <translation>opens the settings at that tab: general, detection, positions or permissions</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="40"/>
        <source>el arranque al iniciar la sesión: no abre ninguna ventana que no haga falta</source>
        <translation>the start at login: opens no window that is not needed</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="43"/>
        <source>ARCHIVO</source>
        <translation>FILE</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="44"/>
        <source>una mirada; sus medidas van a ARCHIVO</source>
        <translation>one look; its measurements go to FILE</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="45"/>
        <source>SEGUNDOS ARCHIVO [ANCHO]</source>
        <translation>SECONDS FILE [WIDTH]</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="46"/>
        <source>mantiene la cámara abierta y escribe una línea por segundo; ANCHO fuerza el ancho de la imagen, en píxeles</source>
        <translation>keeps the camera open and writes one line per second; WIDTH asks for a picture of that width, in pixels</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="49"/>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="53"/>
        <source>CARPETA</source>
        <translation>FOLDER</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="50"/>
        <source>dibuja fuera de pantalla el panel, los ajustes, la ventana de grabación y el icono</source>
        <translation>draws the panel, the settings, the recording window and the icon off screen</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="54"/>
        <source>hace en CARPETA la copia del modelo de rasgos faciales que comparten todos los usuarios (la hace el paquete)</source>
        <translation>makes in FOLDER the copy of the face landmark model that every user shares (the package does this)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="57"/>
        <source>muestra esta ayuda y termina</source>
        <translation>prints this help and exits</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="58"/>
        <source>muestra la versión y termina</source>
        <translation>prints the version and exits</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="62"/>
        <source>TISKO_CAMERAS=RUTA[:RUTA…]</source>
        <translation>TISKO_CAMERAS=PATH[:PATH…]</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="63"/>
        <source>añade cámaras de muestra que reproducen imágenes (un archivo o una carpeta)</source>
        <translation>adds sample cameras that play pictures (a file or a folder)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="67"/>
        <source>las cámaras de muestra dicen que otro programa las usa</source>
        <translation>the sample cameras report that another program is using them</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="69"/>
        <source>cuánto espera al arrancar a la bandeja del sistema (5000 por omisión)</source>
        <translation>how long to wait for the system tray at start (5000 by default)</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="224"/>
        <source>Uso: tisko [OPCIÓN]
Vigila la postura desde la bandeja del sistema. Sin opciones arranca Tisko, o
muestra el que ya está en marcha.

Opciones:
</source>
        <translation>Usage: tisko [OPTION]
Watches your posture from the system tray. Without options it starts Tisko, or
shows the one already running.

Options:
</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="236"/>
        <source>
Variables de entorno:
</source>
        <translation>
Environment variables:
</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="247"/>
        <source>tisko: «%1» no es una pausa: --pause quiere de 1 a 1440 minutos, o tomorrow
</source>
        <translation>tisko: “%1” is not a pause: --pause takes 1 to 1440 minutes, or tomorrow
</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="254"/>
        <source>tisko: se ignora «%1»; tisko --help enumera las opciones
</source>
        <translation>tisko: ignoring “%1”; tisko --help lists the options
</translation>
    </message>
    <message>
        <location filename="../Tisko/App/LaunchSwitches.cpp" line="260"/>
        <source>tisko: no hay pantalla (ni DISPLAY ni WAYLAND_DISPLAY) y Tisko vive en el escritorio; sin pantalla se puede mirar una vez con «tisko --look ARCHIVO»</source>
        <translation>tisko: there is no display (neither DISPLAY nor WAYLAND_DISPLAY), and Tisko lives on the desktop; without one, “tisko --look FILE” makes a single look</translation>
    </message>
</context>
<context>
    <name>Monitor</name>
    <message>
        <location filename="../Tisko/Monitor/CheckLog.cpp" line="62"/>
        <source>Demasiado cerca</source>
        <translation>Too close</translation>
    </message>
    <message>
        <location filename="../Tisko/Monitor/CheckLog.cpp" line="64"/>
        <source>Encorvado</source>
        <translation>Slouching</translation>
    </message>
    <message>
        <location filename="../Tisko/Monitor/CheckLog.cpp" line="66"/>
        <source>Bien</source>
        <translation>All good</translation>
    </message>
    <message>
        <location filename="../Tisko/Monitor/CheckLog.cpp" line="68"/>
        <source>No te veo</source>
        <translation>Can’t see you</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="37"/>
        <source>Estás muy cerca de la pantalla</source>
        <translation>You’re very close to the screen</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="38"/>
        <source>Echa la espalda atrás y aleja un poco la cara.</source>
        <translation>Sit back and move your face a little further away.</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="41"/>
        <source>Te estás hundiendo en la silla</source>
        <translation>You’re sinking into your chair</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="42"/>
        <source>Endereza la espalda y sube la cabeza.</source>
        <translation>Straighten your back and lift your head.</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="98"/>
        <source>Hay una versión nueva de Tisko</source>
        <translation>A new version of Tisko is available</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="99"/>
        <source>La %1 está lista. Pulsa para actualizar.</source>
        <translation>Version %1 is ready. Click to update.</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="115"/>
        <source>Tisko vigila tu postura en segundo plano</source>
        <translation>Tisko is watching your posture in the background</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="116"/>
        <source>No hay ninguna bandeja del sistema donde mostrar su icono. Para abrir Tisko, búscalo en el menú de aplicaciones.</source>
        <translation>There is no system tray to show its icon in. To open Tisko, find it in the applications menu.</translation>
    </message>
    <message>
        <location filename="../Tisko/System/Notifier.cpp" line="118"/>
        <source>Abrir Tisko</source>
        <translation>Open Tisko</translation>
    </message>
</context>
<context>
    <name>PanelModel</name>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="33"/>
        <source>En pausa</source>
        <translation>Paused</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="34"/>
        <source>Hasta %1.</source>
        <translation>Until %1.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="39"/>
        <source>Última vez %1</source>
        <translation>Last check %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="41"/>
        <source>cámara compartida</source>
        <translation>shared camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="44"/>
        <source>seguidor de cabeza</source>
        <translation>head tracker</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="45"/>
        <source>Vigilando</source>
        <translation>Watching</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="50"/>
        <source>Falta tu posición</source>
        <translation>No position yet</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="51"/>
        <source>Tisko necesita verte una vez sentado bien para saber qué es «demasiado cerca».</source>
        <translation>Tisko needs to see you sitting well once to know what “too close” is.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="54"/>
        <source>Sin permiso de cámara</source>
        <translation>No camera access</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="55"/>
        <source>Sin cámara Tisko no puede mirar.</source>
        <translation>Without the camera, Tisko can’t look.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="57"/>
        <source>No hay cámara</source>
        <translation>No camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="59"/>
        <source>Con el portátil cerrado y sin cámara externa, Tisko espera.</source>
        <translation>With the laptop closed and no external camera, Tisko waits.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="60"/>
        <source>Sin cámara, Tisko espera.</source>
        <translation>Without a camera, Tisko waits.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="69"/>
        <source>Mirando…</source>
        <translation>Looking…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="69"/>
        <source>Comprobar ahora</source>
        <translation>Check now</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="75"/>
        <source>Crear posición…</source>
        <translation>Create position…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="80"/>
        <source>Abrir Ajustes de Tisko</source>
        <translation>Open Tisko settings</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="125"/>
        <source>1 aviso hoy</source>
        <translation>1 warning today</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/PanelModel.cpp" line="126"/>
        <source>%n avisos hoy</source>
        <translation>
            <numerusform>%n warning today</numerusform>
            <numerusform>%n warnings today</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="138"/>
        <source>d MMM</source>
        <extracomment>The day a pause ends, as a pattern of QLocale: &quot;4 mar&quot;.</extracomment>
        <translation>MMM d</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="140"/>
        <source>%1 %2</source>
        <extracomment>The day (%1) and the time (%2) a pause ends: &quot;4 mar 15:00&quot;.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="147"/>
        <source>Actualizar a la %1…</source>
        <translation>Update to %1…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="150"/>
        <source>Las notificaciones de Tisko están desactivadas: no puede avisarte.</source>
        <translation>Tisko’s notifications are turned off, so it can’t warn you.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="151"/>
        <source>Activarlas…</source>
        <translation>Turn them on…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="160"/>
        <source>Casi siempre te veo demasiado cerca con «%1». Si ahora estás a tu distancia de siempre, vuelve a guardarla.</source>
        <translation>With “%1” I almost always see you too close. If you’re at your usual distance now, save it again.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="163"/>
        <source>Casi siempre te veo encorvado con «%1». Si ahora estás sentado como sueles, vuelve a guardarla.</source>
        <translation>With “%1” I almost always see you slouching. If you’re sitting the way you usually do now, save it again.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="167"/>
        <source>Volver a guardar «%1»…</source>
        <translation>Save “%1” again…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="170"/>
        <source>Ahora no</source>
        <translation>Not now</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="182"/>
        <source>Nueva posición…</source>
        <translation>New position…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="186"/>
        <source>Reanudar</source>
        <translation>Resume</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="188"/>
        <source>Pausar 1 hora</source>
        <translation>Pause for 1 hour</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="189"/>
        <source>Pausar hasta mañana</source>
        <translation>Pause until tomorrow</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="190"/>
        <source>Ajustes…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PanelModel.cpp" line="191"/>
        <source>Salir de Tisko</source>
        <translation>Quit Tisko</translation>
    </message>
</context>
<context>
    <name>PermissionsModel</name>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="11"/>
        <source>Cámara</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="12"/>
        <source>Para mirar un segundo cada pocos minutos. No guarda ninguna imagen.</source>
        <translation>To look for a second every few minutes. No image is ever saved.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="15"/>
        <source>Notificaciones</source>
        <translation>Notifications</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="16"/>
        <source>Para avisarte.</source>
        <translation>To warn you.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="18"/>
        <source>Seguidor de cabeza</source>
        <translation>Head tracker</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="19"/>
        <source>Para notar la cabeza inclinada sin encender la cámara. Tisko lo escucha en el puerto UDP 4242 de este ordenador.</source>
        <translation>To notice a tilted head without turning on the camera. Tisko listens for it on UDP port 4242 of this computer.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="32"/>
        <source>Este escritorio no tiene ningún servicio de avisos: los avisos de Tisko no se verán.</source>
        <translation>This desktop has no notification service, so Tisko’s warnings won’t show.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="37"/>
        <source>Permitidos, pero el escritorio está en «no molestar»: los avisos de Tisko no saldrán hasta que lo quites.</source>
        <translation>Allowed, but the desktop is set to “do not disturb”: Tisko’s warnings won’t show until you turn it off.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="55"/>
        <source>Concedido</source>
        <translation>Allowed</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="57"/>
        <source>Denegado</source>
        <translation>Denied</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="59"/>
        <source>Sin servicio</source>
        <translation>No service</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="61"/>
        <source>No molestar</source>
        <translation>Do not disturb</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsModel.cpp" line="65"/>
        <source>Permitir</source>
        <translation>Allow</translation>
    </message>
</context>
<context>
    <name>PositionsModel</name>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="46"/>
        <source>Otra cámara</source>
        <translation>Another camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="55"/>
        <source>d MMM yyyy</source>
        <extracomment>The day a position was recorded, as a pattern of QLocale: &quot;4 mar 2025&quot;.</extracomment>
        <translation>MMM d, yyyy</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="57"/>
        <source>con seguidor de cabeza</source>
        <translation>with head tracker</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="66"/>
        <source>Sin pantallas</source>
        <translation>No displays</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="69"/>
        <source>1 pantalla</source>
        <translation>1 display</translation>
    </message>
    <message numerus="yes">
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="70"/>
        <source>%n pantallas</source>
        <translation>
            <numerusform>%n display</numerusform>
            <numerusform>%n displays</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="79"/>
        <source>pantalla %1</source>
        <translation>display %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="81"/>
        <source>%1 y %2</source>
        <translation>%1 and %2</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsModel.cpp" line="86"/>
        <source>Cada posición recuerda qué pantallas había al crearla. Al enchufar o desenchufar una, Tisko pasa a la posición que se hizo con esas mismas. Ahora: %1.</source>
        <translation>Each position remembers which displays were connected when it was made. When you plug one in or unplug one, Tisko switches to the position made with those same displays. Right now: %1.</translation>
    </message>
</context>
<context>
    <name>PrivacySettings</name>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="18"/>
        <source>Quien se sienta ante el ordenador ya tiene la cámara: el sistema se la da al entrar en la sesión, sin hacer nada más. Si Tisko no puede abrirla, lo más probable es que sea una sesión remota o sin pantalla propia. Solo para esas sesiones hace falta el grupo «video», que abre la cámara a todas las sesiones de tu usuario, también las remotas:

    %1

Después cierra la sesión y vuelve a entrar.</source>
        <translation>Whoever sits at the computer already has the camera: the system gives it to them when they log in, with nothing more to do. If Tisko can’t open it, this is most likely a remote session or one without a screen of its own. Only those sessions need the “video” group, which opens the camera to every session of your user, remote ones too:

    %1

Then log out and back in.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="27"/>
        <source>Tisko escucha al seguidor de cabeza en el puerto UDP 4242 de este ordenador (127.0.0.1). Configura tu seguidor para que envíe su posición como opentrack («UDP over network») a ese puerto, y cierra cualquier otro programa que lo esté usando.</source>
        <translation>Tisko listens for the head tracker on UDP port 4242 of this computer (127.0.0.1). Set up your tracker to send its position as opentrack (“UDP over network”) to that port, and close any other program that is using it.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="34"/>
        <source>Tisko avisa con las notificaciones del escritorio. Actívalas para Tisko en la configuración de notificaciones de tu escritorio y comprueba que el modo «No molestar» está apagado.</source>
        <translation>Tisko warns you with desktop notifications. Turn them on for Tisko in your desktop’s notification settings and make sure “Do Not Disturb” is off.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="52"/>
        <source>Cámara</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="54"/>
        <source>Seguidor de cabeza</source>
        <translation>Head Tracker</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="55"/>
        <source>Notificaciones</source>
        <translation>Notifications</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="59"/>
        <source>Conecta una cámara: Tisko no encuentra ninguna.</source>
        <translation>Connect a camera: Tisko can’t find one.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PrivacySettings.cpp" line="70"/>
        <source>Más detalles en la sección «Permissions» de %1.</source>
        <translation>More details in the “Permissions” section of %1.</translation>
    </message>
</context>
<context>
    <name>UpdatePrompt</name>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="20"/>
        <source>Hay una versión nueva de Tisko</source>
        <translation>A new version of Tisko is available</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="22"/>
        <source>La %1 está disponible; tienes la %2.</source>
        <translation>Version %1 is available; you have %2.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="25"/>
        <source>Más tarde</source>
        <translation>Later</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="28"/>
        <source>Tienes la última versión</source>
        <translation>You’re up to date</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="29"/>
        <source>Tisko %1 es la versión más reciente.</source>
        <translation>Tisko %1 is the latest version.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="30"/>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="35"/>
        <source>Aceptar</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="33"/>
        <source>No se ha podido buscar actualizaciones</source>
        <translation>Couldn’t check for updates</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="44"/>
        <source>Actualizaciones de Tisko</source>
        <translation>Tisko Updates</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="48"/>
        <source>Descargar</source>
        <translation>Download</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/UpdatePrompt.cpp" line="52"/>
        <source>Notas de la versión</source>
        <translation>Release notes</translation>
    </message>
</context>
<context>
    <name>tisko::AppDelegate</name>
    <message>
        <location filename="../Tisko/App/AppDelegate.cpp" line="410"/>
        <source>Nueva posición</source>
        <translation>New Position</translation>
    </message>
</context>
<context>
    <name>tisko::CalibrationModel</name>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="78"/>
        <source>Casa</source>
        <translation>Home</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="81"/>
        <source>Oficina</source>
        <translation>Office</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="85"/>
        <source>Posición %1</source>
        <translation>Position %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="104"/>
        <source>Sin permiso de cámara.</source>
        <translation>No camera access.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="115"/>
        <source>Tisko no puede abrir la cámara. En una sesión remota o sin pantalla propia, los ajustes de permisos dicen cómo dársela.</source>
        <translation>Tisko can’t open the camera. In a remote session or one without a screen of its own, the permissions settings say how to give it access.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="125"/>
        <source>No hay ninguna cámara.</source>
        <translation>There’s no camera.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="151"/>
        <source>La cámara no se ha abierto.</source>
        <translation>The camera didn’t open.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="238"/>
        <source>No te he visto bien. Ponte de cara a la cámara, con luz, y vuelve a probar.</source>
        <translation>I couldn’t see you well. Face the camera, in good light, and try again.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="282"/>
        <source>Volver a probar</source>
        <translation>Try again</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="284"/>
        <source>Hecho</source>
        <translation>Done</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="286"/>
        <source>Tomar posición</source>
        <translation>Take position</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="315"/>
        <source>Abriendo la cámara…</source>
        <translation>Opening the camera…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="317"/>
        <source>Te veo</source>
        <translation>I can see you</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="318"/>
        <source>No te veo</source>
        <translation>I can’t see you</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="322"/>
        <source>Quieto, mirando…</source>
        <translation>Hold still, looking…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="324"/>
        <source>Guardada</source>
        <translation>Saved</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="332"/>
        <source>Nueva posición</source>
        <translation>New Position</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="336"/>
        <source>Siéntate como quieres sentarte: la espalda recta y la cara a la distancia buena. Tisko mirará tres segundos y lo tomará como referencia.</source>
        <translation>Sit the way you want to sit: back straight and face at the right distance. Tisko will look for three seconds and take that as the reference.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="341"/>
        <source>Nombre</source>
        <translation>Name</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="345"/>
        <source>Cámara</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/CalibrationModel.cpp" line="349"/>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>tisko::DetectionPage</name>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="57"/>
        <source>Avisarme</source>
        <translation>Warn Me</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="58"/>
        <source>Te avisa la primera vez que te ve mal, sin esperar a otra comprobación. En Normal, «demasiado cerca» es la cara un 15 % más grande que en tu posición, unos 8 o 10 cm más cerca.</source>
        <translation>Tisko warns you the first time it sees you sitting badly, without waiting for another check. On Normal, “too close” means your face looks 15% larger than in your position, about 8 to 10 cm closer.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="61"/>
        <source>Cuando te acercas demasiado a la pantalla</source>
        <translation>When you get too close to the screen</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="62"/>
        <source>Cuando te hundes en la silla</source>
        <translation>When you slouch in your chair</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="66"/>
        <source>Sensibilidad</source>
        <translation>Sensitivity</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="69"/>
        <source>Cámara</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="70"/>
        <source>Cada vez que mira, la luz de la cámara se enciende un segundo y medio. Si otra aplicación está usando la cámara, como en una llamada, Tisko no la toca y vuelve a mirar la próxima vez.</source>
        <translation>Each time Tisko looks, the camera light comes on for a second and a half. If another app is using the camera, as in a call, Tisko leaves it alone and looks again next time.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="75"/>
        <source>Sonido con el aviso</source>
        <translation>Play a sound with warnings</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="76"/>
        <source>Mirar cada</source>
        <translation>Check every</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="77"/>
        <source>Como mucho un aviso cada</source>
        <translation>At most one warning every</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="81"/>
        <source>Seguidor de cabeza</source>
        <translation>Head Tracker</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="83"/>
        <source>Con un seguidor de cabeza que envíe su posición como opentrack (UDP al puerto 4242 de este ordenador), Tisko nota sin cámara que llevas unos segundos con la cabeza inclinada hacia delante, y entonces mira por la cámara para confirmarlo. El seguidor solo no basta para avisar.</source>
        <translation>With a head tracker that sends its position as opentrack (UDP to port 4242 on this computer), Tisko notices without the camera when your head has been tilted forward for a few seconds, and then looks through the camera to confirm. The tracker alone is not enough for a warning.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/DetectionPage.cpp" line="87"/>
        <source>Usar el seguidor de cabeza para mirar antes</source>
        <translation>Use the head tracker to check sooner</translation>
    </message>
</context>
<context>
    <name>tisko::GeneralPage</name>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="34"/>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="36"/>
        <source>Abrir Tisko al iniciar sesión</source>
        <translation>Open Tisko when you log in</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="37"/>
        <source>Mostrar el icono en la bandeja del sistema</source>
        <translation>Show the icon in the system tray</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="42"/>
        <source>Recuento</source>
        <translation>Counts</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="47"/>
        <source>Hoy</source>
        <translation>Today</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="48"/>
        <source>Exportar CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="49"/>
        <source>Ver historial…</source>
        <translation>View history…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="56"/>
        <source>Recuento diario</source>
        <translation>Daily counts</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="61"/>
        <source>Actualizaciones</source>
        <translation>Updates</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="63"/>
        <source>Buscar actualizaciones</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="102"/>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="112"/>
        <source>Exportar recuento</source>
        <translation>Export Counts</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="103"/>
        <source>Texto separado por comas (*.csv)</source>
        <translation>Comma-separated values (*.csv)</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/GeneralPage.cpp" line="113"/>
        <source>No se ha podido exportar el recuento: %1</source>
        <translation>Couldn’t export the counts: %1</translation>
    </message>
</context>
<context>
    <name>tisko::HistoryWindow</name>
    <message>
        <location filename="../Tisko/Interface/HistoryWindow.cpp" line="47"/>
        <source>Historial de Tisko</source>
        <translation>Tisko History</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryWindow.cpp" line="82"/>
        <source>Bien</source>
        <translation>Good</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryWindow.cpp" line="83"/>
        <source>Demasiado cerca o hundido</source>
        <translation>Too close or slouching</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/HistoryWindow.cpp" line="121"/>
        <source>d MMM</source>
        <extracomment>The first and last day under the bars, as a pattern of QLocale: &quot;4 mar&quot;.</extracomment>
        <translation>MMM d</translation>
    </message>
</context>
<context>
    <name>tisko::MenuBarLabel</name>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="203"/>
        <source>Tisko: en pausa hasta las %1</source>
        <translation>Tisko: paused until %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="204"/>
        <source>Tisko: en pausa hasta el %1</source>
        <translation>Tisko: paused until %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="211"/>
        <source>Tisko: %1</source>
        <extracomment>The tray icon&apos;s tooltip: %1 is the panel&apos;s headline, its first letter made small.</extracomment>
        <translation>Tisko: %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="392"/>
        <source>Abrir Tisko</source>
        <translation>Open Tisko</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="393"/>
        <source>Comprobar ahora</source>
        <translation>Check now</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="395"/>
        <source>Ajustes…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="396"/>
        <source>Historial…</source>
        <translation>History…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="398"/>
        <source>Buscar actualizaciones…</source>
        <translation>Check for updates…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/MenuBarLabel.cpp" line="400"/>
        <source>Salir de Tisko</source>
        <translation>Quit Tisko</translation>
    </message>
</context>
<context>
    <name>tisko::MenuBarPanel</name>
    <message>
        <location filename="../Tisko/Interface/MenuBarPanel.cpp" line="327"/>
        <source>Posición</source>
        <translation>Position</translation>
    </message>
</context>
<context>
    <name>tisko::PermissionsPage</name>
    <message>
        <location filename="../Tisko/Interface/PermissionsPage.cpp" line="48"/>
        <source>Opcional</source>
        <translation>Optional</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsPage.cpp" line="115"/>
        <source>Permitir</source>
        <translation>Allow</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsPage.cpp" line="116"/>
        <source>Permitir: %1</source>
        <translation>Allow: %1</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsPage.cpp" line="130"/>
        <source>Abrir Ajustes</source>
        <translation>Open settings</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PermissionsPage.cpp" line="131"/>
        <source>Abrir Ajustes: %1</source>
        <translation>Open settings: %1</translation>
    </message>
</context>
<context>
    <name>tisko::PositionsPage</name>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="38"/>
        <source>Posiciones</source>
        <translation>Positions</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="39"/>
        <source>Una por sitio: la cámara te ve distinto con el portátil a un lado y en alto que con el portátil delante, en la mesa. Para rehacer una, crea otra con el mismo nombre.</source>
        <translation>One per place: the camera sees you differently with the laptop raised off to one side than with the laptop in front of you on the desk. To redo one, create another with the same name.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="46"/>
        <source>Nueva posición…</source>
        <translation>New position…</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="56"/>
        <source>Elegirla sola según las pantallas conectadas</source>
        <translation>Choose it automatically from the connected displays</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="92"/>
        <source>Todavía no hay ninguna. Crea la primera sentado como quieres sentarte.</source>
        <translation>None yet. Create the first one sitting the way you want to sit.</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="152"/>
        <source>En uso</source>
        <translation>In use</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="132"/>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="152"/>
        <source>Usar</source>
        <translation>Use</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="153"/>
        <source>«%1» en uso</source>
        <translation>“%1” in use</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="133"/>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="154"/>
        <source>Usar «%1»</source>
        <translation>Use “%1”</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="169"/>
        <source>Nombre</source>
        <translation>Name</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="170"/>
        <source>Nuevo nombre de «%1»</source>
        <translation>New name for “%1”</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="187"/>
        <source>Más</source>
        <translation>More</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="188"/>
        <source>Más opciones de «%1»</source>
        <translation>More options for “%1”</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="190"/>
        <source>Cambiar el nombre</source>
        <translation>Rename</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/PositionsPage.cpp" line="192"/>
        <source>Borrar</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>tisko::SettingsToolbar</name>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="29"/>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="31"/>
        <source>Avisos</source>
        <translation>Warnings</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="33"/>
        <source>Posiciones</source>
        <translation>Positions</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="35"/>
        <source>Permisos</source>
        <translation>Permissions</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="112"/>
        <source>Páginas de ajustes</source>
        <translation>Settings pages</translation>
    </message>
    <message>
        <location filename="../Tisko/Interface/SettingsToolbar.cpp" line="126"/>
        <source>Ajustes de Tisko</source>
        <translation>Tisko Settings</translation>
    </message>
</context>
<context>
    <name>tisko::Updater</name>
    <message>
        <location filename="../Tisko/System/Updater.cpp" line="100"/>
        <source>Las actualizaciones están desactivadas.</source>
        <translation>Updates are turned off.</translation>
    </message>
</context>
</TS>
