<?php
// The web form a player's browser opens when the game's own upload failed.
// "filename" carries the archive's local path with every slash as ";" so the
// player can find it; the form posts to the same receiver as the game.
$path = isset($_GET['filename']) ? str_replace(';', '/', $_GET['filename']) : '';
?><!DOCTYPE html>
<html><head><meta charset="iso-8859-1"><title>Velkor: send a level pack</title></head>
<body>
<h1>Send a level pack</h1>
<?php if ($path !== ''): ?>
<p>Your pack's archive: <code><?php echo htmlspecialchars($path, ENT_QUOTES, 'ISO-8859-1'); ?></code></p>
<?php endif; ?>
<form action="updated.php" method="post" enctype="multipart/form-data">
<p><label>Your name: <input type="text" name="ud_NAME" maxlength="20"></label></p>
<p><label>Archive: <input type="file" name="uploadedfile" accept=".zip"></label></p>
<p><input type="submit" value="Send"></p>
</form>
</body></html>
