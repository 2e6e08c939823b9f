<?php
// Receives a pack upload from the game: the multipart fields "ud_NAME" (the
// uploader's name) and "uploadedfile" (the pack's zip archive). Answers with
// one of the four words the game reads on a line of its own:
//   SUCCESS  stored
//   ERROR    the request was not a whole upload (field missing, cut short)
//   PERM     this archive will never be taken (not a zip, too large)
//   TEMP     this site cannot store it now (storage missing or full)
// Run with PHP's built-in server from this folder:
//   VELKOR_SITE_STORE=/some/dir php -S 127.0.0.1:8080 -t tests/site
// and start the game with VELKOR_SITE=127.0.0.1:8080.
header('Content-Type: text/plain');

function answer($word, $detail) {
    echo $word, "\n", $detail, "\n";
    exit;
}

if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
    answer('ERROR', 'post the form to this address');
}
$name = isset($_POST['ud_NAME']) ? $_POST['ud_NAME'] : null;
$file = isset($_FILES['uploadedfile']) ? $_FILES['uploadedfile'] : null;
if ($name === null || $file === null) {
    answer('ERROR', 'the fields ud_NAME and uploadedfile are both needed');
}
if ($file['error'] === UPLOAD_ERR_INI_SIZE || $file['error'] === UPLOAD_ERR_FORM_SIZE) {
    answer('PERM', 'the archive is too large');
}
if ($file['error'] !== UPLOAD_ERR_OK || !is_uploaded_file($file['tmp_name'])) {
    answer('ERROR', 'the archive did not arrive whole');
}
$head = file_get_contents($file['tmp_name'], false, null, 0, 4);
if ($head !== "PK\x03\x04" && $head !== "PK\x05\x06") {
    answer('PERM', 'the file is not a zip archive');
}

$store = getenv('VELKOR_SITE_STORE');
if ($store === false || $store === '') {
    $store = sys_get_temp_dir() . '/velkor-uploads';
}
if (!is_dir($store) && !@mkdir($store, 0775, true)) {
    answer('TEMP', 'no place to store uploads');
}
// Only safe characters reach the file system, and nothing is overwritten.
$safe = function ($text, $fallback) {
    $text = preg_replace('/[^A-Za-z0-9._-]+/', '_', $text);
    $text = trim(substr($text, 0, 64), '._');
    return $text === '' ? $fallback : $text;
};
$base = date('Ymd-His') . '-' . bin2hex(random_bytes(4)) . '-' . $safe(basename($file['name']), 'pack.zip');
if (!@move_uploaded_file($file['tmp_name'], "$store/$base") ||
    @file_put_contents("$store/$base.name", substr($name, 0, 64)) === false) {
    answer('TEMP', 'the upload could not be stored');
}
answer('SUCCESS', $base);
