# The Qt Quick module "ZintraRadio" (views and their small C++ types) and the executable.
# Files are found by folder: every .qml/.js and .cpp/.hpp in the view folders belongs to the
# module; shaders are every .frag/.vert under a "shaders" folder; translations are i18n/*.ts.
set(ZINTRARADIO_VIEW_FOLDERS kit shell deck stage lyrics media music)

set(view_qml "")
set(view_cpp "")
set(view_shaders "")
foreach(folder ${ZINTRARADIO_VIEW_FOLDERS})
  file(GLOB_RECURSE found_qml CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    ${folder}/*.qml ${folder}/*.js ${folder}/*.mjs)
  file(GLOB_RECURSE found_cpp CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    ${folder}/*.cpp ${folder}/*.hpp)
  file(GLOB_RECURSE found_shaders CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    ${folder}/shaders/*.frag ${folder}/shaders/*.vert)
  list(APPEND view_qml ${found_qml})
  list(APPEND view_cpp ${found_cpp})
  list(APPEND view_shaders ${found_shaders})
endforeach()
list(REMOVE_ITEM view_cpp shell/main.cpp)

if(NOT view_qml)
  return()
endif()

find_package(Qt6 6.4 REQUIRED COMPONENTS Qml Quick QuickControls2 OpenGL Widgets ShaderTools LinguistTools)
qt_standard_project_setup()

# A QML file that begins with "pragma Singleton" is registered as a singleton.
foreach(file ${view_qml})
  file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${file} singleton_pragma REGEX "^pragma Singleton")
  if(singleton_pragma)
    set_source_files_properties(${file} PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
  endif()
endforeach()

qt_add_library(ZintraRadioViews ${ZINTRARADIO_LIBRARY_TYPE})
# The plugin is static whatever the module's library is, so programs import it the same way.
qt_add_library(ZintraRadioViewsplugin STATIC)
target_compile_definitions(ZintraRadioViewsplugin PRIVATE QT_STATICPLUGIN)
qt_add_qml_module(ZintraRadioViews
  URI ZintraRadio
  VERSION 1.0
  RESOURCE_PREFIX /qt/qml
  PLUGIN_TARGET ZintraRadioViewsplugin
  QML_FILES ${view_qml}
  SOURCES ${view_cpp}
)
target_include_directories(ZintraRadioViews PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The generated type registrations include each QML type's header by its bare file name.
foreach(folder ${ZINTRARADIO_VIEW_FOLDERS})
  target_include_directories(ZintraRadioViews PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
endforeach()
target_compile_definitions(ZintraRadioViews PUBLIC ZINTRARADIO_HAS_VIEWS
  ZINTRARADIO_VERSION="${PROJECT_VERSION}")
target_link_libraries(ZintraRadioViews PUBLIC
  ZintraRadio Qt6::Qml Qt6::Quick Qt6::QuickControls2 Qt6::OpenGL Qt6::Widgets)
# Our sources are held to the warning flags; the module's generated ones are not.
set_source_files_properties(${view_cpp} PROPERTIES COMPILE_OPTIONS "${ZINTRARADIO_WARNINGS}")
# What programs link: the module with its static plugin, which they import with
# Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin). (The module itself cannot link the plugin: the plugin
# links the module, and only static libraries may depend on each other in a circle.)
add_library(ZintraRadioModule INTERFACE)
target_link_libraries(ZintraRadioModule INTERFACE ZintraRadioViews ZintraRadioViewsplugin)

# The stage draws its own shaders through OpenGL (StageSurface), from their GLSL 330 text;
# every other shader is baked for Qt Quick's shader effects.
set(stage_shaders ${view_shaders})
list(FILTER stage_shaders INCLUDE REGEX "^stage/shaders/")
list(REMOVE_ITEM view_shaders ${stage_shaders})
if(view_shaders)
  # QUIET drops Qt's line per shader at configure time; qsb's own warnings still show.
  qt_add_shaders(ZintraRadioViews "zintraradio_shaders"
    QUIET
    PREFIX "/shaders"
    GLSL "300es,330"
    NOHLSL NOMSL
    FILES ${view_shaders})
endif()
set(stage_glsl "")
foreach(shader ${stage_shaders})
  set(glsl ${CMAKE_CURRENT_BINARY_DIR}/glsl/${shader}.glsl)
  add_custom_command(OUTPUT ${glsl}
    COMMAND Qt6::qsb --glsl 330 -o ${glsl}.qsb ${CMAKE_CURRENT_SOURCE_DIR}/${shader}
    COMMAND Qt6::qsb -s -x glsl,330 -o ${glsl} ${glsl}.qsb
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${shader}
    COMMENT "GLSL 330 of ${shader}"
    VERBATIM)
  list(APPEND stage_glsl ${glsl})
endforeach()
if(stage_glsl)
  qt_add_resources(ZintraRadioViews "zintraradio_stage_shaders"
    PREFIX "/shaders"
    BASE ${CMAKE_CURRENT_BINARY_DIR}/glsl
    FILES ${stage_glsl})
endif()

file(GLOB translations CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/i18n/*.ts)
if(translations)
  qt_add_lrelease(ZintraRadioViews
    TS_FILES ${translations}
    OPTIONS -idbased
    QM_FILES_OUTPUT_VARIABLE translation_files)
  qt_add_resources(ZintraRadioViews "zintraradio_translations" PREFIX "/i18n" BASE ${CMAKE_CURRENT_BINARY_DIR}
    FILES ${translation_files})
endif()

if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)
  qt_add_executable(zintraradio shell/main.cpp)
  target_compile_options(zintraradio PRIVATE ${ZINTRARADIO_WARNINGS})
  target_link_libraries(zintraradio PRIVATE ZintraRadioModule)
  set_target_properties(zintraradio PROPERTIES OUTPUT_NAME zintraradio)
  include(GNUInstallDirs)
  install(TARGETS zintraradio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ZINTRARADIO_SHARED_LIBRARIES)
    # A build with shared libraries installs them in a folder of the program's own.
    set(private_libraries ${CMAKE_INSTALL_LIBDIR}/zintraradio)
    install(TARGETS ZazidEvoz ZintraRadio ZintraRadioViews LIBRARY DESTINATION ${private_libraries})
    set_target_properties(zintraradio PROPERTIES INSTALL_RPATH "$ORIGIN/../${private_libraries}")
  endif()

  # Desktop integration: the launcher, the AppStream description, and the drawn icon exported
  # by the program itself (it needs no display for that) into the hicolor theme. The export
  # goes to a folder inside the destination, so an install into DESTDIR writes nothing else.
  install(FILES ${PROJECT_SOURCE_DIR}/data/zintraradio.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/org.zintraradio.ZintraRadio.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(icon_root "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/icons/hicolor")
  install(CODE "
    set(icon_stage \"\$ENV{DESTDIR}${icon_root}/.zintraradio-export\")
    file(REMOVE_RECURSE \"\${icon_stage}\")
    execute_process(
      COMMAND \${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
              ZINTRARADIO_EXPORT_APPICON=\${icon_stage} $<TARGET_FILE:zintraradio>
      RESULT_VARIABLE export_result)
    if(NOT export_result EQUAL 0)
      file(REMOVE_RECURSE \"\${icon_stage}\")
      message(FATAL_ERROR \"zintraradio could not export its icons (\${export_result})\")
    endif()
    foreach(size 16 32 128 256 512)
      file(INSTALL \"\${icon_stage}/icon_\${size}x\${size}.png\"
        DESTINATION \"${icon_root}/\${size}x\${size}/apps\" RENAME zintraradio.png)
      file(INSTALL \"\${icon_stage}/icon_\${size}x\${size}@2x.png\"
        DESTINATION \"${icon_root}/\${size}x\${size}@2/apps\" RENAME zintraradio.png)
    endforeach()
    file(REMOVE_RECURSE \"\${icon_stage}\")
  ")
endif()
