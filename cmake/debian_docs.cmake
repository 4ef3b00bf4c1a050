# SPDX-License-Identifier: MIT
# debian_docs.cmake -- the texts Debian wants in /usr/share/doc/<package>,
# made at configure time from what the source tree already keeps, so there is
# nothing more to keep up to date by hand:
#
#   ft_debian_copyright(OUT LICENSE_FILE)
#       the machine-readable copyright file (copyright-format 1.0) from LICENSE
#   ft_debian_changelog(OUT METAINFO_TEXT PACKAGE MAINTAINER)
#       the Debian changelog from the <releases> of the AppStream metadata,
#       newest first, one entry per release, a bullet per paragraph or item
#   ft_write_if_changed(FILE TEXT)
#       writes the text unless the file holds it already, so that what is
#       made of it is not made again at every configure

# LICENSE is the MIT licence: a title, the copyright line, then the text.
# Debian's name for that text is Expat; "MIT" covers several wordings.
function(ft_debian_copyright out licenseFile)
    file(READ ${licenseFile} licence)
    if(NOT licence MATCHES "\nCopyright \\(c\\) ([0-9]+[^\n]*)\n\n(.*)$")
        message(FATAL_ERROR "${licenseFile}: no 'Copyright (c) YEAR HOLDER' line "
                            "followed by the licence text")
    endif()
    set(holders "${CMAKE_MATCH_1}")
    set(text "${CMAKE_MATCH_2}")
    # Continuation lines start with a space, an empty line is " .".
    string(STRIP "${text}" text)
    string(REGEX REPLACE "\n\n" "\n.\n" text "${text}")
    string(REGEX REPLACE "\n" "\n " text "${text}")
    string(CONCAT result
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: FOMPY TALDEN\n"
        "Comment: The licence SPDX calls MIT; LICENSE in the source tree.\n"
        "\n"
        "Files: *\n"
        "Copyright: ${holders}\n"
        "License: Expat\n"
        " ${text}\n")
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# "YYYY-MM-DD" as the changelog's RFC 5322 date, at midnight UTC.
function(ft_rfc5322_date out date)
    if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        message(FATAL_ERROR "release date '${date}' is not YYYY-MM-DD")
    endif()
    set(year ${CMAKE_MATCH_1})
    math(EXPR month "1${CMAKE_MATCH_2} - 100")
    math(EXPR day "1${CMAKE_MATCH_3} - 100")
    # Sakamoto's day of the week, 0 for Sunday.
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekdayName)
    list(GET months ${index} monthName)
    set(${out} "${weekdayName}, ${CMAKE_MATCH_3} ${monthName} ${year} 00:00:00 +0000"
        PARENT_SCOPE)
endfunction()

# One bullet of a changelog entry: the text's words filled into lines of at
# most 78 characters, the first after "  * ", the others after four spaces.
function(ft_changelog_bullet out text)
    string(REGEX REPLACE "<[^>]*>" "" text "${text}")
    string(REPLACE "&lt;" "<" text "${text}")
    string(REPLACE "&gt;" ">" text "${text}")
    string(REPLACE "&quot;" "\"" text "${text}")
    string(REPLACE "&apos;" "'" text "${text}")
    string(REPLACE "&amp;" "&" text "${text}")
    # Semicolons would split the list of words; they travel as a control character.
    string(ASCII 31 semicolon)
    string(REPLACE ";" "${semicolon}" text "${text}")
    string(REGEX MATCHALL "[^ \t\r\n]+" words "${text}")
    set(result "")
    set(line "  *")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(length GREATER 78 AND NOT line STREQUAL "  *" AND NOT line STREQUAL "   ")
            string(APPEND result "${line}\n")
            set(line "   ")
        endif()
        string(APPEND line " ${word}")
    endforeach()
    string(REPLACE "${semicolon}" ";" result "${result}${line}\n")
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# A release's description as bullets: one per <p> and per <li>. Semicolons
# would split the list of items; they travel as a control character.
function(ft_changelog_bullets out description)
    string(ASCII 31 semicolon)
    string(REPLACE ";" "${semicolon}" description "${description}")
    string(REGEX REPLACE "</(p|li)>" ";" items "${description}")
    set(result "")
    foreach(item IN LISTS items)
        string(REGEX REPLACE "<[^>]*>" "" bare "${item}")
        string(STRIP "${bare}" bare)
        if(bare STREQUAL "")
            continue()
        endif()
        string(REPLACE "${semicolon}" ";" item "${item}")
        # Markup of the text itself (<em>, <code>) is dropped with the rest.
        ft_changelog_bullet(bullet "${item}")
        string(APPEND result "${bullet}")
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(ft_debian_changelog out metainfoText package maintainer)
    string(REGEX REPLACE "<release[ \t\r\n]+" "<release " rest "${metainfoText}")
    set(result "")
    while(TRUE)
        string(FIND "${rest}" "<release " start)
        if(start EQUAL -1)
            break()
        endif()
        string(SUBSTRING "${rest}" ${start} -1 rest)
        string(FIND "${rest}" ">" tagEnd)
        string(SUBSTRING "${rest}" 0 ${tagEnd} tag)
        math(EXPR bodyStart "${tagEnd} + 1")
        string(SUBSTRING "${rest}" ${bodyStart} -1 rest)
        set(body "")
        if(NOT tag MATCHES "/$")
            string(FIND "${rest}" "</release>" bodyEnd)
            if(bodyEnd EQUAL -1)
                message(FATAL_ERROR "AppStream metadata: ${tag}> is never closed")
            endif()
            string(SUBSTRING "${rest}" 0 ${bodyEnd} body)
            string(SUBSTRING "${rest}" ${bodyEnd} -1 rest)
        endif()
        if(NOT tag MATCHES "version=\"([^\"]+)\"")
            message(FATAL_ERROR "AppStream metadata: a release without a version: ${tag}>")
        endif()
        set(version ${CMAKE_MATCH_1})
        if(NOT tag MATCHES "date=\"([^\"]+)\"")
            message(FATAL_ERROR "AppStream metadata: release ${version} has no date")
        endif()
        ft_rfc5322_date(date ${CMAKE_MATCH_1})
        set(bullets "")
        if(body MATCHES "<description[^>]*>(.*)</description>")
            ft_changelog_bullets(bullets "${CMAKE_MATCH_1}")
        endif()
        if(bullets STREQUAL "")
            message(FATAL_ERROR "AppStream metadata: release ${version} says nothing of "
                                "what it brings; give it a <description>")
        endif()
        string(APPEND result "${package} (${version}) unstable; urgency=medium\n\n"
                             "${bullets}\n -- ${maintainer}  ${date}\n\n")
    endwhile()
    string(STRIP "${result}" result)
    set(${out} "${result}\n" PARENT_SCOPE)
endfunction()

function(ft_write_if_changed path text)
    if(EXISTS ${path})
        file(READ ${path} old)
        if(old STREQUAL text)
            return()
        endif()
    endif()
    file(WRITE ${path} "${text}")
endfunction()
