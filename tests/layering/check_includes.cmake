# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the layers: reads every #include "folder/..." of the sources under
# SOURCE_DIR and fails on any include from one folder into another that the
# table below does not allow.
#
#   cmake -DSOURCE_DIR=<src> [-DMODEL_SOURCES=a.cpp|b.cpp] [-DGUI_SOURCES=...]
#         -P check_includes.cmake
#
# The subsystem folders hold model files (standard C++, in kavora_model) and
# GUI files (Qt views and dialogs, in kavora_gui) side by side, and the two
# kinds have different rules. A file counts as a model file when a file of
# the same name (header or source) is one of kavora_model's sources; as a
# GUI file when it is one of kavora_gui's; a file in neither list (a header
# without a source) counts as GUI when it includes a Qt header, else as model.
# Without the source lists the same Qt-header rule decides (the planted test
# tree); the real tree is checked only in a build that knows both lists.

cmake_minimum_required(VERSION 3.25)

set(model_folders core play charting schedule phonebook tips)
set(gui_folders ui app printing)

# Folders a file may include from, by the folder it lies in. Model files of
# the subsystem folders see the model only, core sees itself alone; ui (the
# shared drawing) sees no app; GUI files of a subsystem may use the whole
# program.
set(allowed_model_core core)
foreach(folder IN ITEMS play charting schedule phonebook tips)
    set(allowed_model_${folder} ${model_folders})
endforeach()
foreach(folder IN LISTS model_folders)
    set(allowed_gui_${folder} ${model_folders} formats ui app printing)
endforeach()
set(allowed_gui_ui ${model_folders} formats ui)
set(allowed_gui_printing ${model_folders} ui app printing)
set(allowed_gui_app ${model_folders} ui app printing)

# The composition root (src/root: main, the command line, the assembly of
# every subsystem's commands, the modes that draw without a window) may
# include every folder, and no other folder includes it. The shell (app: the
# view base, the client, the command table, the main window, the
# application) includes nothing of printing and no GUI file of a subsystem
# (checked after the table, below): the subsystems reach it through the
# command table that main hands in.
set(allowed_gui_root ${model_folders} formats ui app printing root)
set(allowed_gui_app ${model_folders} ui app)

# The file formats (formats: the iCalendar and vCard readers and writers, on
# Qt Core alone) see the model and themselves: the model files of the
# subsystem folders only (checked after the table, below), nothing of the
# GUI. The GUI files of the subsystems, ui and the root include them; the
# model and the shell do not.
set(allowed_gui_formats ${model_folders} formats)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "check_includes: SOURCE_DIR names no folder")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

# Source lists come joined with '|' (a ';' would split the command line).
function(stems out joined)
    string(REPLACE "|" ";" files "${joined}")
    set(result)
    foreach(file IN LISTS files)
        get_filename_component(stem "${file}" NAME_WE)
        get_filename_component(dir "${file}" DIRECTORY)
        get_filename_component(folder "${dir}" NAME)
        list(APPEND result "${folder}/${stem}")
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()
stems(model_stems "${MODEL_SOURCES}")
stems(gui_stems "${GUI_SOURCES}")

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(failures)
set(checked 0)
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" folder "${file}")
    if(folder STREQUAL file)
        continue() # a file at the top of src/
    endif()
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")

    get_filename_component(stem "${file}" NAME_WE)
    set(key "${folder}/${stem}")
    set(kind gui)
    if(folder IN_LIST model_folders)
        list(FIND model_stems "${key}" in_model)
        list(FIND gui_stems "${key}" in_gui)
        if(in_model GREATER -1)
            set(kind model)
        elseif(in_gui EQUAL -1)
            set(kind model)
            foreach(line IN LISTS lines)
                if(line MATCHES "<Q[A-Za-z/]*")
                    set(kind gui)
                endif()
            endforeach()
        endif()
    endif()

    if(NOT DEFINED allowed_${kind}_${folder})
        list(APPEND failures "${file}: folder ${folder}/ has no rule in check_includes.cmake")
        continue()
    endif()
    foreach(line IN LISTS lines)
        if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
            set(target "${CMAKE_MATCH_1}")
            math(EXPR checked "${checked} + 1")
            if(NOT target IN_LIST allowed_${kind}_${folder})
                list(APPEND failures "${file} (${kind} file) includes ${target}/: ${line}")
            endif()
        endif()
    endforeach()
endforeach()

# Within core, files include one another in one direction only: a header and
# its source count as one file, and no chain of includes between core files
# may lead back to where it started. The first such circle found is named,
# in the order its files include one another.
function(check_core_circles out)
    file(GLOB core_files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/core/*.h"
         "${SOURCE_DIR}/core/*.cpp")
    set(nodes)
    foreach(file IN LISTS core_files)
        get_filename_component(stem "${file}" NAME_WE)
        set(node "core/${stem}")
        list(APPEND nodes "${node}")
        file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"core/")
        foreach(line IN LISTS lines)
            if(line MATCHES "\"core/([^\".]+)\\.")
                set(target "core/${CMAKE_MATCH_1}")
                if(NOT target STREQUAL node)
                    list(APPEND edges_${stem} "${target}")
                endif()
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES nodes)
    list(SORT nodes)

    # Take away, again and again, every file that includes no file left, and
    # every file that no file left includes: what stays lies on a circle or
    # between two.
    set(left ${nodes})
    set(changed TRUE)
    while(changed)
        set(changed FALSE)
        set(kept)
        foreach(node IN LISTS left)
            get_filename_component(stem "${node}" NAME)
            set(out_left FALSE)
            set(in_left FALSE)
            foreach(target IN LISTS edges_${stem})
                if(target IN_LIST left)
                    set(out_left TRUE)
                endif()
            endforeach()
            foreach(other IN LISTS left)
                get_filename_component(other_stem "${other}" NAME)
                if(node IN_LIST edges_${other_stem})
                    set(in_left TRUE)
                endif()
            endforeach()
            if(out_left AND in_left)
                list(APPEND kept "${node}")
            else()
                set(changed TRUE)
            endif()
        endforeach()
        set(left ${kept})
    endwhile()
    if(NOT left)
        set(${out} "" PARENT_SCOPE)
        return()
    endif()

    # Walk from the first file left along includes of files left until a
    # file comes round again.
    list(GET left 0 node)
    set(path)
    while(NOT node IN_LIST path)
        list(APPEND path "${node}")
        get_filename_component(stem "${node}" NAME)
        foreach(target IN LISTS edges_${stem})
            if(target IN_LIST left)
                set(node "${target}")
                break()
            endif()
        endforeach()
    endwhile()
    list(FIND path "${node}" from)
    list(SUBLIST path ${from} -1 circle)
    list(APPEND circle "${node}")
    list(JOIN circle " -> " text)
    set(${out} "core files include one another in a circle: ${text}" PARENT_SCOPE)
endfunction()
check_core_circles(core_circle)
if(core_circle)
    list(APPEND failures "${core_circle}")
endif()
# The shell and the file formats include only model files of the subsystem
# folders: a file in kavora_model's list, or (a header alone, or the planted
# tree) one that includes no Qt header.
foreach(file IN LISTS files)
    if(NOT file MATCHES "^(app|formats)/")
        continue()
    endif()
    set(who shell)
    if(file MATCHES "^formats/")
        set(who formats)
    endif()
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "#[ \t]*include[ \t]*\"((play|charting|schedule|phonebook|tips)/[^\"]+)\"")
            continue()
        endif()
        set(target "${CMAKE_MATCH_1}")
        get_filename_component(target_stem "${target}" NAME_WE)
        get_filename_component(target_folder "${target}" DIRECTORY)
        set(target_key "${target_folder}/${target_stem}")
        set(target_gui FALSE)
        if(target_key IN_LIST gui_stems)
            set(target_gui TRUE)
        elseif(NOT target_key IN_LIST model_stems AND EXISTS "${SOURCE_DIR}/${target}")
            file(STRINGS "${SOURCE_DIR}/${target}" qt REGEX "#[ \t]*include[ \t]*<Q")
            if(qt)
                set(target_gui TRUE)
            endif()
        endif()
        if(target_gui)
            list(APPEND failures "${file} (${who}) includes the GUI file ${target}")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes across layers:\n  ${text}")
endif()
message(STATUS "check_includes: ${checked} includes within the layers")
