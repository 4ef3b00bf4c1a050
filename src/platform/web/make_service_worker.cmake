# SPDX-License-Identifier: MIT
# make_service_worker.cmake -- writes the web folder's service worker (sw.js)
# from sw.js.in: the files it keeps with their SHA-256, and its cache named
# after them and after the worker's own code. The folder itself ('./') is the
# page, index.html.
#   cmake -DSITE=<web folder> -DTEMPLATE=<sw.js.in> -DFILES=<a;b;...> -P make_service_worker.cmake
file(SHA256 "${TEMPLATE}" hashes)
string(APPEND hashes "\n")
file(SHA256 "${SITE}/index.html" page_hash)
set(list "'./': '${page_hash}'")
foreach(file IN LISTS FILES)
    file(SHA256 "${SITE}/${file}" hash)
    string(APPEND hashes "${file} ${hash}\n")
    string(APPEND list ",\n  '${file}': '${hash}'")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING "${version}" 0 16 FT_SITE_VERSION)
set(FT_SITE_FILES "\n  ${list}\n")
configure_file("${TEMPLATE}" "${SITE}/sw.js" @ONLY)
