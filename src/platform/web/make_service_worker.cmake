# SPDX-License-Identifier: MIT
# make_service_worker.cmake -- writes the web folder's service worker (sw.js)
# from sw.js.in, its cache named after a hash of every file it keeps.
#   cmake -DSITE=<web folder> -DTEMPLATE=<sw.js.in> -DFILES=<a;b;...> -P make_service_worker.cmake
set(hashes "")
set(list "'./'")
foreach(file IN LISTS FILES)
    file(SHA256 "${SITE}/${file}" hash)
    string(APPEND hashes "${file} ${hash}\n")
    string(APPEND list ", '${file}'")
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING "${version}" 0 16 FT_SITE_VERSION)
set(FT_SITE_FILES "${list}")
configure_file("${TEMPLATE}" "${SITE}/sw.js" @ONLY)
