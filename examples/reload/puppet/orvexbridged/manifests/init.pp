# Installs a new orvexbridged configuration only when it passes the test the
# server's reload runs: validate_cmd checks the new version in Puppet's
# temporary file (where % stands), judged where it will live; a refused file
# leaves the installed one untouched, and the failure shows the diagnostics.
class orvexbridged (
  String $server_source,
  String $bridges_source,
  String $conf_dir = '/etc/orvexbridged',
  String $checker = 'orvex-config-validate',
) {
  $server = "${conf_dir}/orvexbridged_conf.json"
  file { $server:
    source       => $server_source,
    validate_cmd => "${checker} -q --config-test % --display-name ${server}",
  }
  # Checked with the server file installed above, in place of the one the
  # server names.
  file { "${conf_dir}/bridges.json":
    source       => $bridges_source,
    validate_cmd => "${checker} -q --config-test ${server} --bridges %",
    require      => File[$server],
  }
}
