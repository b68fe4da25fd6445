# viewer_add_resources(<name> MAIN_DOCUMENT <file> TEXT_CONTROL <file> FONTS <file>...)
#
# Makes the object library <name> holding a viewer's resource collection "qml": the main
# window document (zlib-compressed) and, uncompressed, the shared controls and window
# elements, the fonts, the window icon images, the palettes and the Qt Quick Controls
# configuration. The two viewers differ only in their document, their copy of Text.qml
# and their fonts. The program links it, and so does the test of its resource tree.
set(VIEWER_COMMON_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "Shared viewer assets")

function(viewer_add_resources target)
    cmake_parse_arguments(arg "" "MAIN_DOCUMENT;TEXT_CONTROL" "FONTS" ${ARGN})
    set(common ${VIEWER_COMMON_DIR})

    get_filename_component(main_name ${arg_MAIN_DOCUMENT} NAME)
    # rcc compresses only what shrinks by its threshold (70 %) unless told otherwise.
    set(entries "        <file compression-algorithm=\"zlib\" threshold=\"0\" alias=\"${main_name}\">${arg_MAIN_DOCUMENT}</file>\n")
    macro(add_plain alias path)
        if(NOT EXISTS ${path})
            message(FATAL_ERROR "${target}: resource ${path} is missing")
        endif()
        string(APPEND entries "        <file compression-algorithm=\"none\" alias=\"${alias}\">${path}</file>\n")
    endmacro()

    add_plain(qtquickcontrols2.conf ${common}/qtquickcontrols2.conf)
    add_plain(controls/TopBarButton.qml ${common}/controls/TopBarButton.qml)
    add_plain(controls/PlayBarButton.qml ${common}/controls/PlayBarButton.qml)
    add_plain(controls/Text.qml ${arg_TEXT_CONTROL})
    # Every file of a shared folder, in a stable order, under the folder's name.
    macro(add_plain_folder folder pattern)
        file(GLOB folder_files ${common}/${folder}/${pattern})
        list(SORT folder_files)
        foreach(folder_file IN LISTS folder_files)
            get_filename_component(folder_file_name ${folder_file} NAME)
            add_plain(${folder}/${folder_file_name} ${folder_file})
        endforeach()
    endmacro()
    # The window elements both viewers are made of.
    add_plain_folder(viewer *.qml)
    foreach(font IN LISTS arg_FONTS)
        get_filename_component(font_name ${font} NAME)
        add_plain(fonts/${font_name} ${font})
    endforeach()
    foreach(size 16 24 32 48 64 128 256 512)
        add_plain(icon/QELT_${size}x${size}.png ${common}/icon/QELT_${size}x${size}.png)
    endforeach()
    add_plain_folder(palettes *.rpal)

    # Named qml.qrc so that the collection is "qml" (qInitResources_qml).
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/qml.qrc CONTENT
"<!DOCTYPE RCC>
<RCC version=\"1.0\">
    <qresource prefix=\"/\">
${entries}    </qresource>
</RCC>
")
    add_library(${target} OBJECT ${CMAKE_CURRENT_BINARY_DIR}/qml.qrc)
    set_target_properties(${target} PROPERTIES AUTORCC ON)
    target_link_libraries(${target} PRIVATE Qt6::Core)
endfunction()

# viewer_add_resources_test(<resources> <program> <document>)
#
# Checks the resource tree that <resources> (made by viewer_add_resources) gives
# <program>, whose main window document is <document> (its name in the tree).
function(viewer_add_resources_test resources program document)
    set(test tst_${resources})
    qt_add_executable(${test} ${VIEWER_COMMON_DIR}/tests/tst_viewerresources.cpp)
    target_link_libraries(${test} PRIVATE ${resources} Qt6::Gui Qt6::Test)
    target_compile_definitions(${test} PRIVATE
        VIEWER_PROGRAM="${program}"
        VIEWER_DOCUMENT="${document}"
        PALETTE_DIR="${VIEWER_COMMON_DIR}/palettes")
    add_test(NAME ${test} COMMAND ${test})
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
