# The TLS backends of the libcurl that find_package(CURL) found, as the library itself names
# them (curl_version_info, run at configure time; `curl-config --ssl-backends` where the probe
# cannot run, as in a cross build). Sets VELLICOR_CURL_TLS (the library's own text, such as
# "OpenSSL/3.0.11", "GnuTLS/3.7.9", or "(OpenSSL/3.0.11) GnuTLS/3.7.9" for a build with several,
# the one in use unbracketed) and VELLICOR_CURL_OPENSSL (true when curl's TLS in use is
# OpenSSL's), and says both in the configure output: on stderr where the probe ran (a first
# configure, which `make` shows, or another library), else as a status line. The probe runs again
# only when the library changes.
function(vellicor_curl_tls_backends)
  get_target_property(curl_location CURL::libcurl LOCATION)
  set(mode STATUS)
  if(NOT "${VELLICOR_CURL_TLS_PROBED}" STREQUAL "${curl_location}")
    set(mode NOTICE)
    set(probe_dir ${CMAKE_BINARY_DIR}/curl-tls-probe)
    file(WRITE ${probe_dir}/probe.cpp [=[
#include <curl/curl.h>
#include <cstdio>
int main() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    std::printf("%s", info && info->ssl_version ? info->ssl_version : "none");
    return 0;
}
]=])
    try_run(run_result compile_result ${probe_dir} ${probe_dir}/probe.cpp
      LINK_LIBRARIES CURL::libcurl
      RUN_OUTPUT_VARIABLE backends)
    if(NOT compile_result OR NOT run_result EQUAL 0)
      find_program(VELLICOR_CURL_CONFIG curl-config)
      set(backends "unknown")
      if(VELLICOR_CURL_CONFIG)
        execute_process(COMMAND ${VELLICOR_CURL_CONFIG} --ssl-backends
          OUTPUT_VARIABLE backends OUTPUT_STRIP_TRAILING_WHITESPACE)
      endif()
    endif()
    string(STRIP "${backends}" backends)
    set(VELLICOR_CURL_TLS "${backends}" CACHE INTERNAL "TLS backends of libcurl")
    set(VELLICOR_CURL_TLS_PROBED "${curl_location}" CACHE INTERNAL "libcurl that was probed")
  endif()
  # A backend in brackets is built in but not the one in use; the one in use may stand anywhere.
  if(VELLICOR_CURL_TLS MATCHES "(^| )OpenSSL")
    set(openssl TRUE)
    set(check "the transport watches for the TLS close of close-delimited HTTPS bodies")
  else()
    set(openssl FALSE)
    set(check "no OpenSSL hook: close-delimited HTTPS bodies are taken as curl reports them")
  endif()
  set(text "libcurl ${CURL_VERSION_STRING}, TLS: ${VELLICOR_CURL_TLS} (${check})")
  if(mode STREQUAL "NOTICE")
    message(NOTICE "-- ${text}")
  else()
    message(STATUS "${text}")
  endif()
  set(VELLICOR_CURL_OPENSSL ${openssl} PARENT_SCOPE)
endfunction()
